[Common]
Name=Cemented achromat f=100
MonochromeSystem=0
LambdaW=0.5875618
Lambda=0.4861327,0.5875618,0.6562725
Weight=1,1,1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=0
Difrac=1
Discrete=0
ShowRecommendation=1
Nd=64
Unit=0
AlfaM=0,1,2;
Nray=21; DrawAllRays=0
Nsurf=5
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=2; Dentr=25

[Surfaces]
{ R=0; Glass=""; Dx=10; DextY=40; }
{ R=43.02; Glass="N-BK7_schott"; Dx=6; DextY=30; }
{ R=-43.02; Glass="F2_schott"; Dx=2.5; DextY=30; }
{ R=-2132.4; Glass=""; Dx=93.7485; DextY=30; }
{ R=0; Glass=""; DextY=20; }

[Remark]
Cemented doublet of N-BK7 and F2 corrected for colour between the F and C lines;
focal length about 100.
[MyNotes]
keep=me
[Common]
Nray=5
