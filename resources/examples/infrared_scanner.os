[Common]
Name=Window, scanning mirror and Si/Ge objective for 3-5 um
MonochromeSystem=0
LambdaW=4
Lambda=3,4,5
Weight=1,1,1
Temperature=20; Pressure=760
EnablePipe=0
N1=1
Coord=1
Difrac=1
Discrete=0.01
ShowRecommendation=1
Nd=64
Unit=0
AlfaM=0,2;
Nray=21; DrawAllRays=0
Nsurf=9
EndSection=1
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=4; Dentr=40

[Surfaces]
{ R=0; Glass="1.000000 "; DextY=60; }
{ R=0; Glass="si_crystal"; Dx=10; DextY=56; }
{ R=0; Glass="1.000000 "; Dx=15; DextY=56; }
{ R=0; Glass="refl"; Dx=30; AlfaZ=45; DextY=80; DextX=50; BoundTypeExt=1; }
{ R=-90.55; Glass="si_crystal"; Dx=30; Dy=-40; AlfaZ=90; DextY=50; }
{ R=-284.3; Glass="1.000000 "; Dx=30; Dy=-46; AlfaZ=90; DextY=50; }
{ R=-386.32; Glass="ge_crystal"; Dx=30; Dy=-49; AlfaZ=90; DextY=50; }
{ R=-167.8; Glass="1.000000 "; Dx=30; Dy=-53; AlfaZ=90; DextY=50; }
{ R=0; Glass="1.000000 "; Dx=30; Dy=-140.148; AlfaZ=90; DextY=20; }

[Remark]
Object-space scanner for the 3-5 micrometre band: the scene is seen through a flat silicon
window 5 thick; behind it a plane mirror at 45 degrees (the stop, surface 4) turns the beam
onto -y into an air-spaced silicon / germanium achromat of focal length 100 (f/2.5).
Turning the mirror by an angle a moves the image along x by 100 tan 2a. The window lies in
the scanned beam, so its narcissus changes across the scan; the lens surfaces lie between
the mirror and the detector and return the same ghost at every scan angle.
[End]
