[Common]
Naper=2.9; Ex=-2.9
Name="unclosed
[Surfaces]