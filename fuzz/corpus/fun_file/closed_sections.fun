[Functions]
Sections=2
Focus_R=50; Focus_W=10
Magnification_R=0; Magnification_W=0
LengthOfSystem_R=60; LengthOfSystem_W=0.25
Sfs_R=45; Sfs_W=0
AberT_R=0; AberT_W=1
AberW_R=0; AberW_W=0

Distor_R=0; Distor_W=0
Strehl_R=0.8; Strehl_W=2
Narciss_W=0; ScannerSurface=0

NrayInBeam=5
EnableSagittalRays=0
ShowEachStep=1
PolychromeOptimization=0
SettingImageSurfaceType=0

Unit=0
{ Ybeam=0; Zbeam=0; Wbeam=1 }
{ Ybeam=14; Zbeam=0; Wbeam=1 }
SectionEnd=1

[Functions 1]
AberT_W=1
Unit=0
{ Ybeam=0; Zbeam=0; Wbeam=1 }
SectionEnd=1

