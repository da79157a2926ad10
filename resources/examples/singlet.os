[Common]
Name=Biconvex singlet
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
Naper=2; Dentr=20

[Surfaces]
{ R=0; Glass=""; Dx=10; DextY=30; }
{ R=50; Glass="N-BK7_schott"; Dx=5; DextY=25; }
{ R=-50; Glass=""; Dx=47.5362; DextY=25; }
{ R=0; Glass=""; DextY=20; }

[Remark]
Equiconvex N-BK7 singlet, R = 50 / -50, 5 thick: focal length 49.213,
back focal distance 47.536 at the d line. Image plane at the paraxial focus.
[End]
