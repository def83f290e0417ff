#!/usr/bin/env python3
"""Writes two-servers.ini: two loopback servers (the second with empty port, account, password
and remark), the admin option and 800*600, no start-up password; enciphered with RC4 under the
key "8406". Run from this directory: python3 make_two_servers_ini.py
"""

KEY = b"8406"
LINES = [
    "127.0.0.1|9|Administrator|s3cret|机房一号\n第二行",
    "127.0.0.1||||",
    "#admin:1",
    "#Start:0",
    "#LoadinPass:<>",
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


if __name__ == "__main__":
    plain = "".join(line + "\r\n" for line in LINES).encode("cp936")
    with open("two-servers.ini", "wb") as f:
        f.write(rc4(KEY, plain))
