#!/usr/bin/env python3
"""Writes two-servers.ini: two loopback servers (the second with empty port, account, password
and remark), the admin option and 800*600, no start-up password; enciphered with RC4 under the
key "8406". Run from this directory: python3 make_two_servers_ini.py
"""

from make_ms_ini import KEY, rc4

LINES = [
    "127.0.0.1|9|Administrator|s3cret|机房一号\n第二行",
    "127.0.0.1||||",
    "#admin:1",
    "#Start:0",
    "#LoadinPass:<>",
]


if __name__ == "__main__":
    plain = "".join(line + "\r\n" for line in LINES).encode("cp936")
    with open("two-servers.ini", "wb") as f:
        f.write(rc4(KEY, plain))
