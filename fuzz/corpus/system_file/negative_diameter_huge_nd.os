[Common]
Nsurf=3
Nd=2000000000
[Surfaces]
{ R=0; Glass=""; Dx=10; DextY=30; }
{ R=50; Glass=""; Dx=5; DextY=-54; DextX=-3; }
{ R=0; Glass=""; DextY=0; }
