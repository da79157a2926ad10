[Common]
Name=Glass light pipe
MonochromeSystem=1
LambdaW=0.5875618
Lambda=0.5875618
Weight=1
Temperature=20; Pressure=760
EnablePipe=1
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
Naper=2; Dentr=3

[Surfaces]
{ R=0; Glass="1.000000 "; Dx=5; DextY=20; }
{ R=0; Glass="n-bk7_schott"; Dx=150; DextY=3; }
{ R=0; Glass="1.000000 "; Dx=5; DextY=3; }
{ R=0; Glass="1.000000 "; DextY=20; }

[Remark]
A polished N-BK7 rod 3 in diameter and 150 long: light entering its face is
carried to the exit face by total internal reflection at the side wall.
[End]
