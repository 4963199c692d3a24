; SPDX-License-Identifier: MIT
; The code of the 128K example tape, loaded at 32768 after the screen and
; before the banks 1, 3, 4 and 6. It pages each bank in at 49152 as the ROM
; does, adds up its 16384 bytes, pages bank 0 back and stops at finish with
; the sums, modulo 65536, in registers: the screen's in HL, bank 1's in BC,
; bank 3's in DE, bank 4's in IX and bank 6's in IY. A bank that did not
; load, or loaded into another bank, gives other sums. A holds BANKM as the
; loader left it: 16 once it has paged bank 0 back.
        org 32768

bankm   equ 23388               ; the ROM's copy of what was sent to the port
port    equ 32765               ; the 128K's paging port

start:  di                      ; IY is taken for a sum; the ROM's interrupt uses it
        ld a, (bankm)
        push af
        ld hl, 16384            ; the screen
        ld bc, 6912             ; its length
        call total
        push de
        ld a, 1
        call bank
        push de
        ld a, 3
        call bank
        push de
        ld a, 4
        call bank
        push de
        ld a, 6
        call bank
        push de
        xor a
        call page               ; bank 0 back
        pop iy
        pop ix
        pop de
        pop bc
        pop hl
        pop af
finish: jr finish               ; the program ends here, looping

; Pages bank A in, ROM 1 (the 48K BASIC) kept: BANKM first, then the port.
page:   or 16
        ld (bankm), a
        ld bc, port
        out (c), a
        ret

; DE = the sum of bank A's 16384 bytes at 49152.
bank:   call page
        ld hl, 49152
        ld bc, 16384
; DE = the sum of the BC bytes from HL on, modulo 65536.
total:  ld de, 0
next:   ld a, (hl)
        add a, e
        ld e, a
        jr nc, added
        inc d                   ; the carry into the high byte
added:  inc hl
        dec bc
        ld a, b
        or c
        jr nz, next
        ret
