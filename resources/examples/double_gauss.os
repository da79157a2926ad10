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
EndSection=1
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=7; Dentr=35.7

[Surfaces]
{ R=0; Glass="1.000000 "; Dx=10; DextY=60; }
{ R=54.7296; Glass="n-lak9_schott"; Dx=8; DextY=54; }
{ R=214.281; Glass="1.000000 "; Dx=0.5; DextY=48; }
{ R=34.8725; Glass="n-lak9_schott"; Dx=9; DextY=47; }
{ R=349.945; Glass="sf5_schott"; Dx=3; DextY=37; }
{ R=23.6001; Glass="1.000000 "; Dx=9; DextY=33; }
{ R=0; Glass="1.000000 "; Dx=9; DextY=24.4; }
{ R=-30.7164; Glass="sf5_schott"; Dx=3; DextY=29; }
{ R=-41.2734; Glass="n-lak9_schott"; Dx=10; DextY=31; }
{ R=-38.7016; Glass="1.000000 "; Dx=0.5; DextY=38; }
{ R=-2196.09; Glass="n-lak9_schott"; Dx=7; DextY=38; }
{ R=-88.6421; Glass="1.000000 "; Dx=63.2543; DextY=40; }
{ R=0; Glass="1.000000 "; DextY=52; }

[Remark]
Six-element double Gauss of our own design: a positive N-LAK9 singlet at each end and a
cemented N-LAK9 / SF5 pair on each side of the central stop (surface 7). Focal length
about 100 at the d line, entrance pupil 35.7 (f/2.8); image plane at the paraxial focus.
[End]
