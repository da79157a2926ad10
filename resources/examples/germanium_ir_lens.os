[Common]
Name=Germanium meniscus for 8-12 um
MonochromeSystem=0
LambdaW=10
Lambda=8,10,12
Weight=1,2,1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=0
Difrac=1
Discrete=0
ShowRecommendation=1
Nd=64
Unit=0
AlfaM=0,2;
Nray=21; DrawAllRays=0
Nsurf=4
EndSection=1
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=2; Dentr=25

[Surfaces]
{ R=0; Glass=""; Dx=10; DextY=40; }
{ R=80; Glass="Ge_crystal"; Dx=5; DextY=30; }
{ R=103.93; Glass=""; Dx=95.3; DextY=30; }
{ R=0; Glass=""; DextY=20; }

[Remark]
Germanium positive meniscus for the 8-12 micrometre band, focal length about 100.
[End]
