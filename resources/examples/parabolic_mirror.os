[Common]
Name=Parabolic mirror f=100
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
{ R=-200; Ex=1; Glass="refl"; Dx=-100; DextY=50; }
{ R=0; Glass=""; DextY=10; }

[Remark]
Concave paraboloid of vertex radius 200: every axial ray meets the focus 100
in front of the vertex.
[End]
