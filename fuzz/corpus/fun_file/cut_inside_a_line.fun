[Functions]
Focus_R=48.5; Focus_W=1
Magnification_R=0; Magnification_W=0
LengthOfSystem_R=60; LengthOfSystem_W=0.25
Sfs_R=45; Sfs_W=0
AberT_R=0; AberT