# A threaded pin turned from a bar of diameter 38, points (z, x) with x the
# negative radius: the face at z = 0 with a 1.5 x 45 degree chamfer into an
# M20 x 1.5 thread 25 long, its relief groove 5 wide down to diameter 17.6
# against the shoulder (room for the run-out and the threading insert's
# flank, which trails its nose by 3 mm), a chamfered journal of diameter 30
# with a retaining ring groove 2 wide and 1 deep, a chamfered collar of
# diameter 36 and the back face at z = -65 where the pin is cut off the bar.
LineSeg( 0,0, 0,-8.5, 1 );
LineSeg( 0,-8.5, -1.5,-10, 1 );
LineSeg( -1.5,-10, -25,-10, 1 );
LineSeg( -25,-10, -25,-8.8, 1 );
LineSeg( -25,-8.8, -30,-8.8, 1 );
LineSeg( -30,-8.8, -30,-14, 1 );
LineSeg( -30,-14, -31,-15, 1 );
LineSeg( -31,-15, -45,-15, 1 );
LineSeg( -45,-15, -45,-14, 1 );
LineSeg( -45,-14, -47,-14, 1 );
LineSeg( -47,-14, -47,-15, 1 );
LineSeg( -47,-15, -55,-15, 1 );
LineSeg( -55,-15, -55,-17, 1 );
LineSeg( -55,-17, -56,-18, 1 );
LineSeg( -56,-18, -65,-18, 1 );
LineSeg( -65,-18, -65,0, 1 );
