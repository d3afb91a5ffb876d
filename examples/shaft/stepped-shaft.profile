# The stepped shaft of the bundled NC example, points (z, x) with x the
# negative radius: the face at z = 0 with a 1 x 45 degree chamfer, a journal
# of diameter 30 ending in an undercut 4 wide and 1 deep, a chamfered step
# to diameter 40, a fillet of radius 1.5 into the collar of diameter 44, and
# the back face at z = -85 where the part is cut off.
LineSeg( 0,0, 0,-14, 1 );
LineSeg( 0,-14, -1,-15, 1 );
LineSeg( -1,-15, -36,-15, 1 );
LineSeg( -36,-15, -36,-14, 1 );
LineSeg( -36,-14, -40,-14, 1 );
LineSeg( -40,-14, -40,-19, 1 );
LineSeg( -40,-19, -41,-20, 1 );
LineSeg( -41,-20, -68.5,-20, 1 );
ArcByPoint( -68.5,-21.5, 1.5, -68.5,-20, -70,-21.5, 1, 1 );
LineSeg( -70,-21.5, -70,-22, 1 );
LineSeg( -70,-22, -85,-22, 1 );
LineSeg( -85,-22, -85,0, 1 );
