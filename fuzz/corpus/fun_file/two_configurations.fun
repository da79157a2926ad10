[Functions]
Focus_R=48.5; Focus_W=1
Magnification_R=0; Magnification_W=0
LengthOfSystem_R=60; LengthOfSystem_W=0.25
Sfs_R=45; Sfs_W=0
AberT_R=0; AberT_W=1
AberW_R=0; AberW_W=0.5

Distor_R=0; Distor_W=2
Strehl_R=1; Strehl_W=0
Narciss_W=0.1; ScannerSurface=2

NrayInBeam=7
EnableSagittalRays=1
ShowEachStep=1
PolychromeOptimization=1
SettingImageSurfaceType=2

Unit=1
{ Ybeam=0; Zbeam=0; Wbeam=1 }
{ Ybeam=30; Zbeam=0; Wbeam=0.5 }
{ Ybeam=45; Zbeam=12; Wbeam=0.25 }

[Functions 1]
Focus_R=52
AberT_W=2
Unit=0
{ Ybeam=0; Zbeam=0; Wbeam=1 }
{ Ybeam=2.5 }

