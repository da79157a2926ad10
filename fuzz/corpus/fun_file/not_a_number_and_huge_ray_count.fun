[Functions]
Focus_R=50; Focus_W=nan
AberT_W=inf
NrayInBeam=2000000000
Unit=0
{ Ybeam=0; Zbeam=0; Wbeam=1 }
