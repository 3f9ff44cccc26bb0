classdef TavloHandle < handle
  % TavloHandle  Link between a Tavlo object and its TAVLO problem.
  %
  %   The module tavlolink keeps the address of its own object for a
  %   Tavlo in TvlPtr (a uint64 scalar, empty once the problem is freed).
  %   Never change it by hand.

  properties
    TvlPtr = [];
  end
end
