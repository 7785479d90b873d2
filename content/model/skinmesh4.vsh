vs.1.1
; skinning with 4 blend weight(s); the fixed-function path draws instead
mov oPos, v0
