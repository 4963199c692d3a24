; SPDX-License-Identifier: MIT
; The code of the second example tape, loaded at 32768 after the screen. It
; adds up the 6912 bytes of the screen and stops at finish with the sum,
; modulo 65536, in HL: a block name printed over the screen, or a screen
; that did not load, gives another sum.
        org 32768

start:  ld hl, 0
        ld de, 16384            ; the screen
        ld bc, 6912             ; its length
next:   ld a, (de)
        add a, l
        ld l, a
        jr nc, added
        inc h                   ; the carry into the high byte
added:  inc de
        dec bc
        ld a, b
        or c
        jr nz, next
finish: jr finish               ; the program ends here, looping
