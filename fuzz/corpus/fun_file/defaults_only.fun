[Common]
NumPar=1

[Parameters]
{ Config=0; Surf=1; Left=-0.05; Right=0.05; Type="R" }

