[Common]
Name=Even asphere condenser, f 50
MonochromeSystem=1
LambdaW=0.5875618
Lambda=0.5875618
Weight=1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=0
Difrac=1
Discrete=0
ShowRecommendation=1
Nd=64
Unit=0
AlfaM=0;
Nray=21; DrawAllRays=0
Nsurf=4
EndSection=1
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=2; Dentr=16

[Surfaces]
{ R=0; Glass=""; Dx=10; DextY=24; }
{ R=0; Glass="n-bk7_schott"; Dx=5; DextY=20; }
{ R=-25.84; Glass=""; Dx=50; DextY=20; }
{ R=0; Glass=""; DextY=10; }

[Surface_3]
TypeAspher=5
AsCoef=-0.0386996904,0,1.66682162e-05,-3.75302872e-09,1.62526797e-11,-9.9135351e-15;

[Remark]
Plano-convex N-BK7 condenser, flat face to the light, 5 thick, f 50, f/3.1. The rear
face is an even asphere: a sphere of radius -25.84 = -f (n - 1) with the r^4 ... r^10
terms of the hyperboloid of conic constant -n^2, the surface that brings a plane wave in
the glass to one point in air. The axial image is free of spherical aberration.
[End]
