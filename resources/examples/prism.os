[Common]
Name=F2 dispersing prism 60 degrees
MonochromeSystem=0
LambdaW=0.5875618
Lambda=0.4861327,0.5875618,0.6562725
Weight=1,1,1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=1
Difrac=1
Discrete=0.1
ShowRecommendation=1
Nd=64
Unit=0
AlfaM=0;
Nray=21; DrawAllRays=0
Nsurf=4
EndSection=1
TurnSystem=0

ObjectFinite=0
ImageFinite=0

AutoSetPupilParameters=0
Naper=2; Dentr=5

[Surfaces]
{ R=0; Glass="1.000000 "; DextY=20; }
{ R=0; Glass="f2_schott"; Dx=20; AlfaZ=-54; DextY=20; DextX=20; BoundTypeExt=1; }
{ R=0; Glass="1.000000 "; Dx=35; AlfaZ=6; DextY=20; DextX=20; BoundTypeExt=1; }
{ R=0; Glass="1.000000 "; Dx=69.0671; Dy=-44.2919; AlfaZ=-48.196; DextY=30; DextX=30; BoundTypeExt=1; }

[Remark]
Equilateral F2 prism, apex 60 degrees, met at 54 degrees incidence (near minimum
deviation): the d line leaves deviated by 48.196 degrees towards the base, F and C
spread by 1.68 degrees. Global coordinates; the last plane stands across the d-line beam.
[End]
