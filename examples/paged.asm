; SPDX-License-Identifier: MIT
; The code of the 128K tape on which CI proves the loader check's rule on
; CLEAR and banks: loaded at 60000 while the loader has bank 1 paged in at
; 49152, and run there. It loops at finish with A holding BANKM (23388) as
; the loader left it: 17, bank 1 paged in. finish comes first, as in
; parts.asm, so that code straying upwards never gets to it.
        org 60000

finish: jr finish               ; the program ends here, looping
start:  ld a, (23388)           ; BANKM
        jr finish
