[Common]
Name=Double Gauss 100 mm f/2.8
MonochromeSystem=0
LambdaW=0.5875618
Lambda=0.4861327,0.5875618,0.6562725
Weight=1,1,1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=0
Difrac=1
Discrete=0.0015
ShowRecommendation=1
Nd=64
Unit=0
AlfaM=0,10,14;
Nray=21; DrawAllRays=0
Nsurf=13
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=2; Dentr=35.7

[Surfaces]
{ R=0; Glass="1.000000 "; Dx=10; DextY=60; }
{ R=54.0541; Glass="n-lak9_schott"; Dx=8; DextY=54; }
{ R=234.071; Glass="1.000000 "; Dx=0.5; DextY=48; }
{ R=34.9265; Glass="n-lak9_schott"; Dx=9; DextY=47; }
{ R=26.5954; Glass="sf5_schott"; Dx=3; DextY=37; }
{ R=24.9918; Glass="1.000000 "; Dx=9; DextY=33; }
{ R=0; Glass="1.000000 "; Dx=9; DextY=23.6; }
{ R=-28.7611; Glass="sf5_schott"; Dx=3; DextY=28; }
{ R=33.8089; Glass="n-lak9_schott"; Dx=10; DextY=30; }
{ R=-37.9356; Glass="1.000000 "; Dx=0.5; DextY=37; }
{ R=-465.116; Glass="n-lak9_schott"; Dx=7; DextY=37; }
{ R=-88.8967; Glass="1.000000 "; Dx=59.9221; DextY=39; }
{ R=0; Glass="1.000000 "; DextY=52; }

[Remark]
Six-element double Gauss of our own design: two positive N-LAK9 singlets outside, an
N-LAK9 / SF5 cemented meniscus pair on each side of the central stop. Focal length about
100 at the d line, entrance pupil 35.7 (f/2.8); image plane at the paraxial focus.
