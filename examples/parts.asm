; SPDX-License-Identifier: MIT
; A program in two code files, for the tapes on which CI proves the loader
; check (+i) in Fuse. The Makefile cuts what pasmo makes in two:
; - part1.bin, the first 10 KiB, for 32768: where a game's code would lie
;   (zeros here), beginning with finish, where the program ends, looping;
; - part2.bin, the rest, for 43008, where the program starts: it adds up the
;   6912 bytes of the screen into HL, modulo 65536, as check.asm does, and
;   jumps into part1, just past finish. It uses no address of its own, only
;   relative jumps, so it runs the same wherever it is loaded.
; finish is the lowest address of all: code that strays into memory that
; nothing was loaded into (zeros, each a NOP) runs upwards, away from it.
        org 32768

finish: jr finish               ; the program ends here, looping
back:   jr finish               ; where part2 jumps, in part1
        ds 32768 + 10240 - $    ; the rest of part1's 10 KiB

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
        jp back
