; NOTECAST's built-in player for MUS songs (6510, assembled with acme).
;
; The song lies at $0900 as the MUS file has it from its third byte on: three
; little-endian length words, then the three voice streams of two-byte pairs.
; The init entry at $CC90 sets the song up and hooks the interrupt routine
; into the vector at $0314; every interrupt afterwards is one jiffy of the
; song. The routine leaves through the KERNAL's interrupt exit at $EA31 and
; never touches $0001, so the converter keeps reaching it through the vector.
;
; Memory: $C000-$CCAE (this image), the song from $0900, the zero-page cells
; below, and the stack. No ROM routine is called.
;
; Build: acme -f cbm -o mus_player.prg mus_player.asm
; (the image is 3247 bytes after its two-byte load address).

SONG            = $0900         ; three length words, then the voice streams
SID             = $D400
CIA1_TIMER_A    = $DC04
IRQ_VECTOR      = $0314
KERNAL_IRQ_EXIT = $EA31
PAL_FLAG        = $02A6         ; 1 on a PAL machine, 0 on NTSC

b1              = $F7           ; the pair being carried out
b2              = $F8
r0              = $F9           ; product / dividend / quotient, low bytes
r1              = $FA
ptr             = $FB           ; stream position of the voice being read
zt              = $FD           ; scratch word

PAL_TIMER       = 16421         ; the timer counts the KERNAL sets up (60 Hz)
NTSC_TIMER      = 17045

MAX_DEPTH       = 8             ; phrase calls nest this deep
PHRASES         = 24            ; phrase numbers 0-23

        * = $C000

; ---------------------------------------------------------------------------
; Variables. Everything from vars to vars_end is cleared by init; per-voice
; variables are arrays of three indexed by the voice number in X.

vars
v_halt          !fill 3         ; 1 once the voice has stopped
v_ptrl          !fill 3         ; next pair to read
v_ptrh          !fill 3
v_durl          !fill 3         ; jiffies left of the note or rest
v_durh          !fill 3
v_rell          !fill 3         ; jiffies left until the release, 0 = none
v_relh          !fill 3
v_note          !fill 3         ; 1 while a note (not a rest) is current
v_tied          !fill 3         ; $40 when the current note is tied
v_ctrl          !fill 3         ; control register: waveform, ring, sync, gate
v_ad            !fill 3
v_sr            !fill 3
v_pwl           !fill 3         ; 12-bit pulse width
v_pwh           !fill 3
v_frql          !fill 3         ; frequency before vibrato
v_frqh          !fill 3
v_tgtl          !fill 3         ; frequency the portamento heads for
v_tgth          !fill 3
v_porl          !fill 3         ; portamento step, 0 = off
v_porh          !fill 3
v_trn           !fill 3         ; transposition in semitones (signed)
v_dtnl          !fill 3         ; detune in register units (signed)
v_dtnh          !fill 3
v_vdp           !fill 3         ; vibrato depth
v_vrt           !fill 3         ; vibrato rate (jiffies per quarter period)
v_vk            !fill 3         ; vibrato: jiffies into the quarter
v_vq            !fill 3         ; vibrato: quarter (low two bits)
v_pvd           !fill 3         ; pulse-width vibrato depth
v_pvr           !fill 3         ; pulse-width vibrato rate
v_pk            !fill 3
v_pq            !fill 3
v_psw           !fill 3         ; pulse-width sweep per jiffy (signed)
v_fsw           !fill 3         ; cutoff sweep per jiffy (signed)
v_pnt           !fill 3         ; release point
v_hld           !fill 3         ; hold time, 0 = use the release point
v_utv           !fill 3         ; utility-voice duration
v_pv            !fill 3         ; portamento and vibrato together
v_hedl          !fill 3         ; start of the repeated section
v_hedh          !fill 3
v_hedn          !fill 3         ; passes left, 0 = endless
v_hedo          !fill 3         ; 1 while a repeated section is open
v_depth         !fill 3         ; phrase calls open
stk_l           !fill 3 * MAX_DEPTH     ; return positions of phrase calls
stk_h           !fill 3 * MAX_DEPTH
ph_l            !fill PHRASES   ; phrase starts; high byte 0 = not defined
ph_h            !fill PHRASES
g_wl            !byte 0         ; whole-note length in jiffies (1-256)
g_wh            !byte 0
g_utl           !byte 0         ; utility duration
g_cut           !byte 0         ; filter cutoff, high eight bits
g_res           !byte 0         ; $D417: resonance, external input, routing
g_mode          !byte 0         ; $D418 bits 4-7: filter mode, voice 3 off
g_vol           !byte 0         ; $D418 bits 0-3
vars_end

!if vars_end - vars > 255 { !error "variables exceed what init clears" }

; ---------------------------------------------------------------------------
; Init: A (the song number) is ignored; there is one song.

!zone init
init
        ldx #vars_end - vars
        lda #0
-       sta vars - 1,x
        dex
        bne -

        lda #<(SONG + 6)        ; voice 1 follows the three length words
        sta v_ptrl
        lda #>(SONG + 6)
        sta v_ptrh
        clc
        lda v_ptrl
        adc SONG
        sta v_ptrl + 1
        lda v_ptrh
        adc SONG + 1
        sta v_ptrh + 1
        clc
        lda v_ptrl + 1
        adc SONG + 2
        sta v_ptrl + 2
        lda v_ptrh + 1
        adc SONG + 3
        sta v_ptrh + 2

        ldx #2
-       lda #1
        sta v_durl,x            ; the first jiffy reads the first note
        lda #4
        sta v_pnt,x
        lda #$40                ; pulse, gate clear
        sta v_ctrl,x
        lda #$08                ; pulse width 2048
        sta v_pwh,x
        lda #$F0                ; sustain 15, release 0
        sta v_sr,x
        dex
        bpl -
        lda #144
        sta g_wl
        lda #15
        sta g_vol

        ldx #<PAL_TIMER
        ldy #>PAL_TIMER
        lda PAL_FLAG
        bne +
        ldx #<NTSC_TIMER
        ldy #>NTSC_TIMER
+       stx g_basel
        sty g_baseh

        sei
        lda #<irq
        sta IRQ_VECTOR
        lda #>irq
        sta IRQ_VECTOR + 1
        cli
        rts

; ---------------------------------------------------------------------------
; One jiffy.

!zone irq
irq
        lda v_halt
        and v_halt + 1
        and v_halt + 2
        beq .live
        ldx #2                  ; every voice has stopped: keep the gates clear
-       ldy sid_offset,x
        lda v_ctrl,x
        and #$FE
        sta v_ctrl,x
        sta SID + 4,y
        dex
        bpl -
        jmp KERNAL_IRQ_EXIT

.live   ldx #0
-       lda v_halt,x
        bne +
        jsr voice_jiffy
        jsr write_voice         ; a voice that stops now still writes its gate
+       inx
        cpx #3
        bne -
        lda #0
        sta SID + $15
        lda g_cut
        sta SID + $16
        lda g_res
        sta SID + $17
        lda g_mode
        ora g_vol
        sta SID + $18
        jmp KERNAL_IRQ_EXIT

sid_offset      !byte 0, 7, 14
voice_bit       !byte 1, 2, 4

; The jiffy of voice X: release, effects, then the next note when the current
; one has run out.
!zone voice_jiffy
voice_jiffy
        lda v_rell,x
        ora v_relh,x
        beq .effects
        lda v_rell,x
        bne +
        dec v_relh,x
+       dec v_rell,x
        lda v_rell,x
        ora v_relh,x
        bne .effects
        lda v_ctrl,x
        and #$FE
        sta v_ctrl,x
.effects
        jsr portamento
        jsr vibrato_step
        jsr pulse_sweep
        jsr pulse_vibrato_step
        jsr cutoff_sweep
        lda v_durl,x
        bne +
        dec v_durh,x
+       dec v_durl,x
        lda v_durl,x
        ora v_durh,x
        bne +
        jmp read_events
+       rts

; Moves the frequency towards the target by the portamento step; without
; portamento the frequency is the target.
!zone portamento
portamento
        lda v_porl,x
        ora v_porh,x
        bne .glide
.snap   lda v_tgtl,x
        sta v_frql,x
        lda v_tgth,x
        sta v_frqh,x
        rts
.glide  lda v_frql,x
        cmp v_tgtl,x
        lda v_frqh,x
        sbc v_tgth,x
        bcc .up
        lda v_frql,x
        cmp v_tgtl,x
        bne .down
        lda v_frqh,x
        cmp v_tgth,x
        beq .done
.down   sec
        lda v_frql,x
        sbc v_porl,x
        sta zt
        lda v_frqh,x
        sbc v_porh,x
        sta zt + 1
        bcc .snap               ; below zero: arrived
        lda zt
        cmp v_tgtl,x
        lda zt + 1
        sbc v_tgth,x
        bcc .snap               ; past the target
        bcs .store
.up     clc
        lda v_frql,x
        adc v_porl,x
        sta zt
        lda v_frqh,x
        adc v_porh,x
        sta zt + 1
        bcs .snap               ; beyond $FFFF: arrived
        lda v_tgtl,x
        cmp zt
        lda v_tgth,x
        sbc zt + 1
        bcc .snap               ; past the target
.store  lda zt
        sta v_frql,x
        lda zt + 1
        sta v_frqh,x
.done   rts

; The vibrato advances while a note is current and no portamento glides, or
; always with portamento-and-vibrato on.
!zone vibrato_step
vibrato_step
        lda v_vrt,x
        beq .no
        lda v_pv,x
        bne .run
        lda v_note,x
        beq .no
        lda v_frql,x
        cmp v_tgtl,x
        bne .no
        lda v_frqh,x
        cmp v_tgth,x
        bne .no
.run    inc v_vk,x
        lda v_vk,x
        cmp v_vrt,x
        bcc .no
        lda #0
        sta v_vk,x
        inc v_vq,x
.no     rts

!zone pulse_vibrato_step
pulse_vibrato_step
        lda v_pvr,x
        beq .no
        lda v_pv,x
        bne .run
        lda v_note,x
        beq .no
.run    inc v_pk,x
        lda v_pk,x
        cmp v_pvr,x
        bcc .no
        lda #0
        sta v_pk,x
        inc v_pq,x
.no     rts

; The pulse width wraps within twelve bits.
!zone pulse_sweep
pulse_sweep
        ldy #0
        lda v_psw,x
        beq .no
        bpl +
        dey
+       clc
        adc v_pwl,x
        sta v_pwl,x
        tya
        adc v_pwh,x
        and #$0F
        sta v_pwh,x
.no     rts

; The cutoff stays within 0-255.
!zone cutoff_sweep
cutoff_sweep
        lda v_fsw,x
        beq .no
        bmi .down
        clc
        adc g_cut
        bcc +
        lda #$FF
+       sta g_cut
        rts
.down   clc
        adc g_cut
        bcs +
        lda #0
+       sta g_cut
.no     rts

; ---------------------------------------------------------------------------
; Writes voice X's registers: frequency with vibrato, pulse width with its
; vibrato, control, attack/decay, sustain/release.

!zone write_voice
write_voice
        lda v_frql,x
        sta zt
        lda v_frqh,x
        sta zt + 1
        lda v_vrt,x
        beq .freq
        lda v_vdp,x
        and #$7F
        beq .freq
        ldy v_frql,x            ; peak = frequency * depth >> 10
        sty mlo
        ldy v_frqh,x
        sty mhi
        jsr mul16x8
        lsr r2
        ror r1
        lsr r2
        ror r1
        lda r1
        sta mlo
        lda r2
        sta mhi
        lda v_vk,x
        sta tk
        lda v_vq,x
        sta tq
        lda v_vrt,x
        sta tr
        jsr triangle
        jsr add_clamped
.freq   ldy sid_offset,x
        lda zt
        sta SID,y
        lda zt + 1
        sta SID + 1,y

        lda v_pwl,x
        sta zt
        lda v_pwh,x
        sta zt + 1
        lda v_pvr,x
        beq .pulse
        lda v_pvd,x
        beq .pulse
        sta mlo                 ; peak = depth * 16
        lda #0
        sta mhi
        asl mlo
        rol mhi
        asl mlo
        rol mhi
        asl mlo
        rol mhi
        asl mlo
        rol mhi
        lda v_pk,x
        sta tk
        lda v_pq,x
        sta tq
        lda v_pvr,x
        sta tr
        jsr triangle
        jsr add_clamped
        lda ofsh                ; within twelve bits
        bmi .pwlow
        lda zt + 1
        cmp #$10
        bcc .pulse
        lda #$0F
        sta zt + 1
        lda #$FF
        sta zt
        bne .pulse
.pwlow  lda zt + 1
        cmp #$10
        bcc .pulse
        lda #0
        sta zt
        sta zt + 1
.pulse  ldy sid_offset,x
        lda zt
        sta SID + 2,y
        lda zt + 1
        sta SID + 3,y
        lda v_ctrl,x
        sta SID + 4,y
        lda v_ad,x
        sta SID + 5,y
        lda v_sr,x
        sta SID + 6,y
        rts

; Triangle offset: peak (mhi:mlo) * m / rate, negative in the second half of
; the period, m rising from 0 to the rate in the even quarters and falling
; back in the odd ones. In: tk, tq, tr (rate > 0). Out: ofsh:ofsl.
!zone triangle
triangle
        lda tk
        cmp tr
        bcc +
        lda tr                  ; the rate was lowered mid-quarter
+       sta tk
        lda tq
        and #1
        beq +
        lda tr
        sec
        sbc tk
        jmp ++
+       lda tk
++      jsr mul16x8
        lda tr
        jsr div24x8
        lda tq
        and #2
        beq +
        sec
        lda #0
        sbc r0
        sta ofsl
        lda #0
        sbc r1
        sta ofsh
        rts
+       lda r0
        sta ofsl
        lda r1
        sta ofsh
        rts

; zt += ofsh:ofsl (signed), held within 0-$FFFF.
!zone add_clamped
add_clamped
        clc
        lda zt
        adc ofsl
        sta zt
        lda zt + 1
        adc ofsh
        sta zt + 1
        lda ofsh
        bmi .neg
        bcc .ok
        lda #$FF
        sta zt
        sta zt + 1
        rts
.neg    bcs .ok
        lda #0
        sta zt
        sta zt + 1
.ok     rts

; r2:r1:r0 = (mhi:mlo) * A. Uses Y.
!zone mul16x8
mul16x8
        sta mul8
        lda #0
        sta r0
        sta r1
        sta r2
        sta t2
        lda mlo
        sta t0
        lda mhi
        sta t1
        ldy #8
-       lsr mul8
        bcc +
        clc
        lda r0
        adc t0
        sta r0
        lda r1
        adc t1
        sta r1
        lda r2
        adc t2
        sta r2
+       asl t0
        rol t1
        rol t2
        dey
        bne -
        rts

; r2:r1:r0 = r2:r1:r0 / A (A > 0), remainder in rem. Uses Y.
!zone div24x8
div24x8
        sta dv
        lda #0
        sta rem
        ldy #24
-       asl r0
        rol r1
        rol r2
        rol rem
        bcs +
        lda rem
        cmp dv
        bcc ++
+       lda rem
        sbc dv
        sta rem
        inc r0
++      dey
        bne -
        rts

; ---------------------------------------------------------------------------
; Reads voice X's pairs until a note, a rest or a halt; carries out the
; commands on the way. A command that stops the voice sets v_halt.

!zone read_events
read_events
        lda v_ptrl,x
        sta ptr
        lda v_ptrh,x
        sta ptr + 1
        lda #0
        sta count
.next   ldy #0
        lda (ptr),y
        sta b1
        iny
        lda (ptr),y
        sta b2
        clc
        lda ptr
        adc #2
        sta ptr
        bcc +
        inc ptr + 1
+       lda b1
        and #3
        bne .cmd
        lda b1
        beq +
        jsr store_ptr
        jmp start_note
+       jsr absolute_pitch
        jmp .after
.cmd    cmp #2
        beq .param
        bcs .porta
        lda b1
        cmp #1
        bne .after              ; unknown pair
        jsr switch_command
        jmp .after
.param  jsr parameter_command
        jmp .after
.porta  jsr portamento_command
.after  lda v_halt,x
        bne store_ptr
        inc count
        bne .next
        jsr halt_voice          ; 256 pairs without a note
!zone store_ptr
store_ptr
        lda ptr
        sta v_ptrl,x
        lda ptr + 1
        sta v_ptrh,x
        rts

!zone halt_voice
halt_voice
        lda #1
        sta v_halt,x
        lda v_ctrl,x
        and #$FE
        sta v_ctrl,x
        rts

; Jumps through a table of handler addresses minus one: A = index * 2.
!zone dispatch_switch
dispatch_switch
        tay
        lda switch_table + 1,y
        pha
        lda switch_table,y
        pha
        rts

; Pair $01 vv: byte 2's low three bits choose the group.
!zone switch_command
switch_command
        lda b2
        and #7
        asl
        jmp dispatch_switch

!zone switch_table
switch_table
        !word sw_decay_release - 1, ignore - 1, sw_call_resonance - 1, sw_flags - 1
        !word sw_attack_sustain - 1, ignore - 1, sw_define_volume - 1, sw_wave_flow - 1

!zone ignore
ignore
        rts

high_nibble                     ; A = b2 >> 4
        lda b2
        lsr
        lsr
        lsr
        lsr
        rts

!zone sw_decay_release
sw_decay_release
        jsr high_nibble
        sta zt
        lda b2
        and #8
        bne +
        lda v_ad,x
        and #$F0
        ora zt
        sta v_ad,x
        rts
+       lda v_sr,x
        and #$F0
        ora zt
        sta v_sr,x
        rts

!zone sw_attack_sustain
sw_attack_sustain
        lda b2                  ; value in bits 6-3 -> high nibble
        asl
        and #$F0
        sta zt
        lda b2
        bmi +
        lda v_ad,x
        and #$0F
        ora zt
        sta v_ad,x
        rts
+       lda v_sr,x
        and #$0F
        ora zt
        sta v_sr,x
        rts

!zone sw_call_resonance
sw_call_resonance
        lda b2
        and #8
        bne +
        jsr high_nibble
        jmp call_phrase
+       lda b2
        and #$F0
        sta zt
        lda g_res
        and #$0F
        ora zt
        sta g_res
        rts

!zone sw_define_volume
sw_define_volume
        lda b2
        and #8
        bne +
        jsr high_nibble
        jmp define_phrase
+       jsr high_nibble
        sta g_vol
        rts

!zone sw_wave_flow
sw_wave_flow
        lda b2
        and #8
        bne .flow
        lda b2
        and #$10
        bne .mode
        jsr high_nibble
        lsr
        tay
        lda waveforms,y
        sta zt
        lda v_ctrl,x
        and #$0F
        ora zt
        sta v_ctrl,x
        rts
.mode   lda b2
        lsr
        and #$70
        sta zt
        lda g_mode
        and #$80
        ora zt
        sta g_mode
        rts
.flow   lda b2
        cmp #$0F
        beq repeat_end
        cmp #$2F
        beq phrase_end
        cmp #$4F
        bne +
        jmp halt_voice
+       rts

waveforms       !byte $80, $10, $20, $30, $40, $50, $60, $70

; TAL: back to the section start while passes remain.
!zone repeat_end
repeat_end
        lda v_hedo,x
        beq .out
        lda v_hedn,x
        beq .again              ; endless
        dec v_hedn,x
        bne .again
        lda #0
        sta v_hedo,x
.out    rts
.again  lda v_hedl,x
        sta ptr
        lda v_hedh,x
        sta ptr + 1
        rts

; END: return from a phrase call; ignored outside a call.
!zone phrase_end
phrase_end
        lda v_depth,x
        beq +
        dec v_depth,x
        jsr stack_slot
        lda stk_l,y
        sta ptr
        lda stk_h,y
        sta ptr + 1
+       rts

; Y = X * MAX_DEPTH + v_depth,x
!zone stack_slot
stack_slot
        txa
        asl
        asl
        asl
        ora v_depth,x
        tay
        rts

; A = phrase number: its start is the next pair, and playback goes on.
!zone define_phrase
define_phrase
        tay
        lda ptr
        sta ph_l,y
        lda ptr + 1
        sta ph_h,y
        rts

; A = phrase number. An undefined phrase or a ninth level stops the voice.
!zone call_phrase
call_phrase
        sta nl
        tay
        lda ph_h,y
        beq .bad
        lda v_depth,x
        cmp #MAX_DEPTH
        bcs .bad
        jsr stack_slot
        lda ptr
        sta stk_l,y
        lda ptr + 1
        sta stk_h,y
        inc v_depth,x
        ldy nl
        lda ph_l,y
        sta ptr
        lda ph_h,y
        sta ptr + 1
        rts
.bad    jmp halt_voice

; Byte 2 = ?ccc o011: BMP, FLT, RNG, SNC, F-X, 3-O, LFO, P&V with o = on;
; with bit 7 set, phrase 16-23 defined (o clear) or called (o set).
!zone sw_flags
sw_flags
        lda b2
        bmi .phrase
        jsr high_nibble
        asl
        tay
        lda flag_table + 1,y
        pha
        lda flag_table,y
        pha
        rts
.phrase jsr high_nibble
        and #7
        ora #16
        sta zt
        lda b2
        and #8
        bne +
        lda zt
        jmp define_phrase
+       lda zt
        jmp call_phrase

!zone flag_table
flag_table
        !word fl_bump - 1, fl_filter - 1, fl_ring - 1, fl_sync - 1
        !word fl_external - 1, fl_voice3 - 1, ignore - 1, fl_porta_vibrato - 1

!zone fl_bump
fl_bump
        lda b2
        and #8
        bne +
        lda g_vol
        beq ++
        dec g_vol
        rts
+       lda g_vol
        cmp #15
        bcs ++
        inc g_vol
++      rts

!zone fl_filter
fl_filter
        lda voice_bit,x
        jmp update_res
!zone fl_external
fl_external
        lda #$08
!zone update_res
update_res
        sta zt
        lda b2
        and #8
        beq +
        lda g_res
        ora zt
        sta g_res
        rts
+       lda zt
        eor #$FF
        and g_res
        sta g_res
        rts

!zone fl_ring
fl_ring
        lda #$04
        bne update_ctrl
!zone fl_sync
fl_sync
        lda #$02
!zone update_ctrl
update_ctrl
        sta zt
        lda b2
        and #8
        beq +
        lda v_ctrl,x
        ora zt
        sta v_ctrl,x
        rts
+       lda zt
        eor #$FF
        and v_ctrl,x
        sta v_ctrl,x
        rts

!zone fl_voice3
fl_voice3
        lda b2
        and #8
        beq +
        lda g_mode
        ora #$80
        sta g_mode
        rts
+       lda g_mode
        and #$7F
        sta g_mode
        rts

!zone fl_porta_vibrato
fl_porta_vibrato
        lda b2
        and #8
        sta v_pv,x
        rts

; ---------------------------------------------------------------------------
; Parameter pairs: byte 1 = ???? ??10.

!zone parameter_command
parameter_command
        lda b1
        and #$0C
        beq .pulse
        cmp #$08
        beq .detune
        bcc .six
        jmp param_e
.six    jsr b1_high_times_2
        tay
        lda param6_table + 1,y
        pha
        lda param6_table,y
        pha
        rts
.pulse  jsr b1_high_nibble      ; P-W: ((b1 >> 4) << 8) + b2
        sta v_pwh,x
        lda b2
        sta v_pwl,x
        rts
.detune lda b1                  ; DTN: ((b1 >> 5) << 8) + b2, minus 2048
        lsr                     ; when bit 4 is set
        lsr
        lsr
        lsr
        lsr
        sta zt
        lda b1
        and #$10
        beq +
        lda zt
        sec
        sbc #8
        sta zt
+       lda zt
        sta v_dtnh,x
        lda b2
        sta v_dtnl,x
        rts

!zone b1_high_times_2
b1_high_times_2
        jsr b1_high_nibble
        asl
        rts
!zone b1_high_nibble
b1_high_nibble
        lda b1
        lsr
        lsr
        lsr
        lsr
        rts

!zone param6_table
param6_table
        !word p_tempo - 1, p_utility - 1, p_release_point - 1, p_repeat - 1
        !word ignore - 1, p_pulse_sweep - 1, p_cutoff_sweep - 1, p_vib_depth - 1
        !word p_vib_rate - 1, ignore - 1, p_transpose - 1, ignore - 1
        !word p_pvib_depth - 1, p_pvib_rate - 1, ignore - 1, p_utility_voice - 1

!zone p_tempo
p_tempo
        lda b2
        sta g_wl
        lda #0
        sta g_wh
        lda b2
        bne +
        inc g_wh                ; 0 means 256
+       rts
!zone p_utility
p_utility
        lda b2
        sta g_utl
        rts
!zone p_release_point
p_release_point
        lda b2
        sta v_pnt,x
        rts
!zone p_repeat
p_repeat
        lda ptr
        sta v_hedl,x
        lda ptr + 1
        sta v_hedh,x
        lda b2
        sta v_hedn,x
        lda #1
        sta v_hedo,x
        rts
!zone p_pulse_sweep
p_pulse_sweep
        lda b2
        sta v_psw,x
        rts
!zone p_cutoff_sweep
p_cutoff_sweep
        lda b2
        sta v_fsw,x
        rts
!zone p_vib_depth
p_vib_depth
        lda b2
        and #$7F
        sta v_vdp,x
        rts
!zone p_vib_rate
p_vib_rate
        lda b2
        sta v_vrt,x
        rts
!zone p_pvib_depth
p_pvib_depth
        lda b2
        sta v_pvd,x
        rts
!zone p_pvib_rate
p_pvib_rate
        lda b2
        sta v_pvr,x
        rts
!zone p_utility_voice
p_utility_voice
        lda b2
        sta v_utv,x
        rts

; TPS: b bit 0 clear: +(12 * (7 - o) + h); set: -(12 * o + 11 - h), with
; o = bits 3-1 and h = bits 7-4.
!zone p_transpose
p_transpose
        lda b2
        lsr
        and #7
        sta zt                  ; o
        lda b2
        and #1
        bne .down
        lda #7
        sec
        sbc zt
        tay
        jsr high_nibble
        clc
        adc times12,y
        sta v_trn,x
        rts
.down   ldy zt
        lda times12,y
        clc
        adc #11
        sta zt
        jsr high_nibble
        sta zt + 1
        lda zt
        sec
        sbc zt + 1              ; 12 * o + 11 - h
        eor #$FF
        clc
        adc #1
        sta v_trn,x
        rts

times12         !byte 0, 12, 24, 36, 48, 60, 72, 84

; Byte 1 = ???? 1110: F-C, RTP, HLD, JIF; the rest (MS#, SCA, unknown) is
; skipped.
!zone param_e
param_e
        lda b1
        and #$3F
        cmp #$3E
        beq p_jiffy
        lda b1
        cmp #$0E
        beq p_cutoff
        cmp #$2E
        beq p_relative
        cmp #$4E
        beq p_hold
        rts
!zone p_cutoff
p_cutoff
        lda b2
        sta g_cut
        rts
!zone p_hold
p_hold
        lda b2
        sta v_hld,x
        rts

; RTP: 12 * (3 - (b AND 7)) + ((b >> 3) - 11), added to the transposition.
!zone p_relative
p_relative
        lda b2
        and #7
        tay
        lda b2
        lsr
        lsr
        lsr
        clc
        adc #25
        sec
        sbc times12,y
        sta zt                  ; the change, -59..56
        lda v_trn,x
        jsr add_biased          ; Y:A = transposition + change + 256
-       cpy #1                  ; kept within -109..107 by octaves, which
        bcc .negative           ; leaves every note's pitch as it was
        bne .lower
        cmp #$6C
        bcc .done
.lower  sec
        sbc #12
        bcs -
        dey
        jmp -
.negative
        cmp #$93
        bcs .done
        clc
        adc #12
        bcc -
        iny
        jmp -
.done   sta v_trn,x
        rts

; Y:A = A + zt (both signed) + 256.
!zone add_biased
add_biased
        ldy #1
        sta nl
        ora #0
        bpl +
        dey
+       lda zt
        bpl +
        dey
+       clc
        adc nl
        bcc +
        iny
+       rts

; JIF: v = b2 * 4 + (b1 >> 6), minus 1024 above 757; the timer becomes the
; count found at init plus 16 * v.
!zone p_jiffy
p_jiffy
        lda b2
        sta zt
        lda #0
        sta zt + 1
        asl zt
        rol zt + 1
        asl zt
        rol zt + 1
        lda b1
        asl
        rol
        rol
        and #3
        ora zt
        sta zt                  ; v, 0-1023
        lda zt + 1
        cmp #2
        bcc .small
        bne .wrap
        lda zt
        cmp #$F6                ; 757 = $2F5
        bcc .small
.wrap   lda zt + 1
        sec
        sbc #4
        sta zt + 1
.small  ldy #4
-       asl zt
        rol zt + 1
        dey
        bne -
        clc
        lda g_basel
        adc zt
        sta CIA1_TIMER_A
        lda g_baseh
        adc zt + 1
        sta CIA1_TIMER_A + 1
        rts

; POR: ((b1 >> 2) << 8) + b2.
!zone portamento_command
portamento_command
        lda b1
        lsr
        lsr
        sta v_porh,x
        lda b2
        sta v_porl,x
        rts

; ---------------------------------------------------------------------------
; Pitches.

; zt = frequency register value of pitch byte b2 for voice X: note table,
; transposition, detune. Carry set for a rest (letter 0), clear otherwise.
!zone pitch_frequency
pitch_frequency
        lda b2
        and #7
        bne +
        sec
        rts
+       tay
        sty kk                  ; letter
        lda letter_base,y
        sta nl
        lda b2                  ; octave = 7 - code
        lsr
        lsr
        lsr
        and #7
        eor #7
        tay
        lda times12,y
        clc
        adc nl
        sta nl
        lda b2                  ; accidental: bits 7-6
        asl
        rol
        rol
        and #3
        tay
        bne +
        ldy kk
        lda double_accidental,y
        jmp ++
+       lda accidental,y
++      clc
        adc nl                  ; -2..97
        sta zt
        lda v_trn,x
        jsr add_biased          ; Y:A = semitone + 256
-       cpy #1                  ; folded into 0-95 by octaves
        bcc .raise
        bne .lower
        cmp #96
        bcc .note
.lower  sec
        sbc #12
        bcs -
        dey
        jmp -
.raise  clc
        adc #12
        bcc -
        iny
        jmp -
.note   asl
        tay
        lda note_table,y
        sta zt
        lda note_table + 1,y
        sta zt + 1
        lda v_dtnl,x
        sta ofsl
        lda v_dtnh,x
        sta ofsh
        jsr add_clamped
        clc
        rts

letter_base     !byte 0, 0, 2, 4, 5, 7, 9, 11
accidental      !byte 0, 1, 0, $FF
!zone double_accidental
double_accidental
                !byte 0, 2, 2, $FE, 2, 2, $FE, $FE

; Absolute pitch set: frequency and target at once, no time, gate untouched.
!zone absolute_pitch
absolute_pitch
        jsr pitch_frequency
        bcs +
        lda zt
        sta v_frql,x
        sta v_tgtl,x
        lda zt + 1
        sta v_frqh,x
        sta v_tgth,x
+       rts

; ---------------------------------------------------------------------------
; Notes and rests: b1 = duration, b2 = pitch.

!zone start_note
start_note
        jsr note_length
        lda v_tied,x
        sta prevtied
        lda b2
        and #7
        bne .note
        lda #0                  ; rest: the gate closes
        sta v_note,x
        sta v_tied,x
        sta v_rell,x
        sta v_relh,x
        lda v_ctrl,x
        and #$FE
        sta v_ctrl,x
        lda v_pv,x
        bne +
        jsr restart_vibratos
+       rts

.note   jsr pitch_frequency
        lda zt
        sta v_tgtl,x
        lda zt + 1
        sta v_tgth,x
        lda v_porl,x
        ora v_porh,x
        bne +
        lda zt
        sta v_frql,x
        lda zt + 1
        sta v_frqh,x
+       lda prevtied
        bne +
        lda v_ctrl,x            ; a new attack unless the last note was tied
        ora #1
        sta v_ctrl,x
+       lda #1
        sta v_note,x
        jsr restart_vibratos
        lda b1
        and #$40
        sta v_tied,x

        lda #0                  ; release jiffy
        sta v_rell,x
        sta v_relh,x
        lda v_tied,x
        bne .keep
        lda v_hld,x
        beq .point
        sta zt
        lda #0
        sta zt + 1
        beq .check
.point  lda v_pnt,x
        beq .keep
        sta zt
        sec
        lda v_durl,x
        sbc zt
        sta zt
        lda v_durh,x
        sbc #0
        sta zt + 1
        bcc .one
        ora zt
        bne .check
.one    lda #1
        sta zt
        lda #0
        sta zt + 1
.check  lda zt                  ; only inside the note
        cmp v_durl,x
        lda zt + 1
        sbc v_durh,x
        bcs .keep
        lda zt
        sta v_rell,x
        lda zt + 1
        sta v_relh,x
.keep   rts

!zone restart_vibratos
restart_vibratos
        lda #0
        sta v_vk,x
        sta v_vq,x
        sta v_pk,x
        sta v_pq,x
        rts

; v_dur = length of duration byte b1 in jiffies, at least 1.
!zone note_length
note_length
        lda b1
        and #$BC
        cmp #$A0
        beq .t64
        lda b1
        and #$3C
        cmp #$24
        bne +
        lda v_utv,x
        jmp .fixed
+       cmp #$04
        bne +
        lda g_utl
        jmp .fixed
+       and #$1C
        bne .scaled
        lda b1                  ; sixty-fourth, maybe a triplet
        and #$A0
        cmp #$80
        beq .t64
        ldy #0
        lda #6
        bne .calc
.t64    ldy #3
        lda #6
        bne .calc
.scaled lsr                     ; bits 4-2: 2 whole .. 7 thirty-second
        lsr
        sec
        sbc #2
        pha
        lda b1
        and #$A0
        ldy #0                  ; plain
        cmp #$20
        bne +
        ldy #1                  ; dotted
+       cmp #$A0
        bne +
        ldy #2                  ; double-dotted
+       cmp #$80
        bne +
        ldy #3                  ; triplet
+       pla
.calc   sty modifier          ; length = W * num / (den << kk)
        sta kk
        lda length_den,y
        sta dv
        ldy kk
        beq +
-       asl dv
        dey
        bne -
+       lda g_wl
        sta mlo
        lda g_wh
        sta mhi
        ldy modifier
        lda length_num,y
        jsr mul16x8
        lda dv
        jsr div24x8
        lda r0
        ora r1
        bne +
        inc r0
+       lda r0
        sta v_durl,x
        lda r1
        sta v_durh,x
        rts
.fixed  bne +
        lda #1
+       sta v_durl,x
        lda #0
        sta v_durh,x
        rts

length_num      !byte 1, 3, 7, 2
length_den      !byte 1, 2, 4, 3

; Frequency register values of the semitones C0-B7: the same equal-tempered
; scale as the converter's note table, so that every note converts to its
; MIDI note without a bend. B7 does not fit and is played as $FFFF.
!zone note_table
note_table
        !word   278,   294,   312,   331,   350,   371,   393,   417,   441,   468,   496,   525
        !word   556,   589,   625,   662,   701,   743,   787,   834,   883,   936,   992,  1051
        !word  1113,  1179,  1250,  1324,  1403,  1486,  1575,  1668,  1767,  1873,  1984,  2102
        !word  2227,  2359,  2500,  2649,  2806,  2973,  3150,  3337,  3535,  3746,  3969,  4205
        !word  4455,  4719,  5000,  5298,  5613,  5946,  6300,  6675,  7071,  7492,  7938,  8410
        !word  8910,  9439, 10001, 10596, 11226, 11893, 12600, 13350, 14144, 14985, 15876, 16820
        !word 17820, 18879, 20002, 21192, 22452, 23787, 25201, 26700, 28288, 29970, 31752, 33640
        !word 35640, 37759, 40005, 42384, 44904, 47574, 50403, 53400, 56576, 59940, 63504, 65535

; ---------------------------------------------------------------------------
; The init entry sits at a fixed address near the end of the image.

!if * > $CC90 { !error "player code overlaps the init entry" }
        !fill $CC90 - *, 0
        jmp init

; Scratch cells (not cleared).
count           !byte 0         ; pairs read in this jiffy
prevtied        !byte 0
g_basel         !byte 0         ; timer count found at init
g_baseh         !byte 0
nl              !byte 0
kk              !byte 0
modifier        !byte 0
tk              !byte 0         ; triangle helper inputs
tq              !byte 0
tr              !byte 0
mlo             !byte 0         ; multiplicand
mhi             !byte 0
mul8            !byte 0
t0              !byte 0
t1              !byte 0
t2              !byte 0
r2              !byte 0
dv              !byte 0
rem             !byte 0
ofsl            !byte 0         ; signed offset for add_clamped
ofsh            !byte 0

!if * > $CCAF { !error "scratch cells do not fit the image" }
        !fill $CCAF - *, 0
