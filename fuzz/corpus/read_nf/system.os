[Common]
Naper=3; Dentr=12.5
Lambda=0.48, 0.5461, 0.6563
Lambda(3)=0.85
Name=Cooke triplet, f 50

[Surfaces]
{ R=21.48; Ex=2.5; Glass="SK16; main" }
{ R=-124.1; Ex=5; Glass="" }
! a remark between records
{ R=-19.1; Ex=1; Glass="F4_main"; Remark="a, b = c!" }
^
[Remark]
Remark="first", "second" ! comment
Free text
