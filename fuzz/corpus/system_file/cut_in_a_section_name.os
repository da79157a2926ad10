[Common]
Name=Holographic lens, f 100
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
Naper=2; Dentr=20

[Surfaces]
{ R=0; Glass=""; Dx=10; DextY=24; }
{ R=0; Glass=""; Dx=100; DextY=24; }
{ R=0; Glass=""; DextY=10; }

[Su