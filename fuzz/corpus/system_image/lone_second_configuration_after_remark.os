[Common]
Name=Cooke triplet 50 mm f/5
MonochromeSystem=0
LambdaW=0.55
Lambda=0.48,0.55,0.65
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
AlfaM=0,14,20;
Nvay=21; DrawAllRays=0
Nsurf=8
TurnSystem=0

ObjectFiAite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=5; Dentr=10

[Surfaces]
{ R=0; Glass=""; Dx=10; DextY=30; }
{ R=22.01359; Glass="N-SK16_schott"; Dx=3.25896; DextY=20; }
{ R=-435.76044; Glass=""; Dx=6.00755; DextY=20; }
{ R=-22.21328; Glass="F2_schott"; Dx=0.99997; DextY=16; }
{ R=20.29192; Glass=""; Dx=4.75041; DextY=16; }
{ R=79.6836; Glass="N-SK16_schott"; Dx=2.95208; DextY=20; }
{ R=-18.39533; Glass=""; Dx=42.20778; DextY=20; }
{ R=0; Glass=""; DextY=40; }

[Remark]
The classic air-spaced triplet: focal length 50, entrance pupil 10, fields 0, 14
and 20 degrees. The stop is the rear face of the negative lefaM=0;
Nray=21; DrawAllRays=0
Nsurf=4
TurnSystem=0

ObjectFinite=0
ImageFinite=1

AutoSetPupilParameters=0
Naper=2; D dZ(2)=0;

[Config_2]
Naper=3
Dzr=-0.7
Unit=1
AlfaM=0,2.3333333333333335;
dX(0)=0.2 ; dY(0)=0.3333333333333333; dZ(0)=-0.2;
dX(1)=1 ; dY(1)=0; dZ(1)=0;
dX(2)=0 (1)=0; dZ(1)=0;
dX(2)=0 ; dY(2)=0.5; dZ(2)=0;

