; SPDX-License-Identifier: MIT
; The bytes of one RAM bank for the 128K example tape: 16384 of them for
; 49152, in a pattern of the bank's number, which pasmo is given as
; "-E bank=N". Each bank's bytes add up to another sum.
        org 49152

n       defl 0
        rept 16384
        db (n * (bank * 2 + 3) + n / 251 * (bank + 1)) mod 256
n       defl n + 1
        endm
