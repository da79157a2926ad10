[Common]
Name=Singlet with fold mirror
MonochromeSystem=1
LambdaW=0.5875618
Lambda=0.5875618
Weight=1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=1
Difrac=1
Discrete=0
ShowRecommendation=1
Nd=64
Unit=0
AlfaM=0;
Nray=21; DrawAllRays=0
Nsurf=5
EndSection=1
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=2; Dentr=20

[Surfaces]
{ R=0; Glass=""; DextY=30; }
{ R=50; Glass="N-BK7_schott"; Dx=10; DextY=25; }
{ R=-50; Glass=""; Dx=15; DextY=25; }
{ R=0; Glass="refl"; Dx=35; AlfaZ=45; DextY=30; DextX=30; BoundTypeExt=1; }
{ R=0; Glass=""; Dx=35; Dy=-27.5362; AlfaZ=90; DextY=20; }

[Remark]
The singlet of singlet.os with a plane mirror 20 behind it at 45 degrees: the
focus lies 27.536 from the mirror along -y.
[End]
