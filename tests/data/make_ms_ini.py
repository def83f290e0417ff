#!/usr/bin/env python3
"""Writes ms.ini, the settings fixture, enciphered here with a separate RC4 so that the reader
is checked against an implementation other than its own.

Run from this directory: python3 make_ms_ini.py
"""

KEY = b"8406"

# Servers as (address, port, account, password, remark), in code page 936 in the file.
SERVERS = [
    ("192.168.1.10", "3389", "Administrator", "s3cret", "机房一号"),
    # "東" is 0x96 0x7C: its second byte is "|", which must not split the line.
    ("10.0.0.7", "13389", "管理员", "東门", "第一行\n第二行"),
    ("db.example.test", "3389", "", "", ""),
]
LINES = [
    *("|".join(fields) for fields in SERVERS),
    "#onsole:1",
    "#Start:1",
    "#LoadinPass:<开门>",
]


def rc4(key: bytes, data: bytes) -> bytes:
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) % 256
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for byte in data:
        i = (i + 1) % 256
        j = (j + s[i]) % 256
        s[i], s[j] = s[j], s[i]
        out.append(byte ^ s[(s[i] + s[j]) % 256])
    return bytes(out)


def main() -> None:
    # RC4 itself, against RFC 6229 (40-bit key 0x0102030405, keystream at offset 0).
    assert rc4(bytes.fromhex("0102030405"), bytes(16)).hex() == "b2396305f03dc027ccc3524a0a1118a8"
    plain = "".join(line + "\r\n" for line in LINES).encode("cp936")
    with open("ms.ini", "wb") as f:
        f.write(rc4(KEY, plain))


if __name__ == "__main__":
    main()
