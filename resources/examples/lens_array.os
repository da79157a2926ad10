[Common]
Name=Lenslet array 5 x 5, pitch 2
MonochromeSystem=1
LambdaW=0.5875618
Lambda=0.5875618
Weight=1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=0
Difrac=1
Discrete=0.0025
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
Naper=2; Dentr=10

[Surfaces]
{ R=0; Glass="1.000000 "; Dx=5; DextY=20; }
{ R=0; Glass="n-bk7_schott"; Dx=2; DextY=10; DextX=10; BoundTypeExt=1; }
{ R=0; Glass="1.000000 "; Dx=9.67492; DextY=10; DextX=10; BoundTypeExt=1; }
{ R=0; Glass="1.000000 "; DextY=20; }

[Surface_3]
NRasterZones=1

[Surf_3_Zone_1]
HMikroLens=0
Packing=2
PackCoef=2, 2, 2, 2
MicroType=3
MicroCoef=-5
SCType=0
Origin=0, 0, 0
Angle=0, 0, 0
LimitType=0
LimitUpper=1e+06, 5, 5
LimitLower=-1e+06, -5, -5

[Remark]
A 2 thick N-BK7 plate whose rear face carries 5 x 5 round plano-convex lenslets of
radius 5 on a 2 pitch (rectangular packing): each lenslet focuses its part of an axial
beam 5 / (n - 1) = 9.675 behind the plate, on its own axis.
[End]
