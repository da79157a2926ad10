[Common]
Name=Spherical mirror R=-200
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
Nsurf=3
EndSection=1
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=2; Dentr=40

[Surfaces]
{ R=0; Glass=""; Dx=150; DextY=60; }
{ R=-200; Glass="refl"; Dx=-100; DextY=50; }
{ R=0; Glass=""; DextY=10; }

[Remark]
Concave spherical mirror of radius 200: paraxial focus 100 in front of it.
[End]
