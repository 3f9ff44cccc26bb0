classdef TavloInfo < handle
  % TavloInfo  What the InfoCallback function of a MIP solve sees.
  %
  %   t.InfoCallback = struct('func', @watch) makes t.solve() of a MIP call
  %   watch(info) before each node of the search, with INFO an object of
  %   this class; with a field 'data' as well, watch(info, data) is called.
  %   The function returns true (or nonzero) to stop the optimisation: the
  %   solve then ends with an aborted status (113, or 114 without an
  %   integer solution) and shows no more log.  A function without outputs
  %   never stops it.
  %
  %   Properties (read only)
  %     NodeCount      nodes processed so far
  %     MipIterations  simplex iterations so far
  %     BestInteger    objective of the best integer solution (+-1e75 while
  %                    there is none)
  %     Cutoff         the cutoff of the search (the same value today)
  %     BestBound      best bound of the open nodes
  %     MipGap         relative gap between the two (1 without a solution)
  %     Tvl            the Tavlo object being solved
  %
  %   Methods
  %     x = info.incumbent()   columns of the best integer solution (an
  %                            error while there is none)
  %
  %   Example:
  %     function stop = watch(info)
  %       printf('%d nodes, gap %g\n', info.NodeCount, info.MipGap);
  %       stop = info.MipGap < 0.01;
  %     end
  %     t.InfoCallback = struct('func', @watch);

  properties (SetAccess = private)
    NodeCount = 0;
    MipIterations = 0;
    Cutoff = [];
    BestBound = [];
    BestInteger = [];
    MipGap = [];
    Tvl = [];
  end

  properties (Hidden)
    % The callback's context inside the module; valid only while the
    % callback runs.
    CbHandle = [];
  end

  methods
    function info = TavloInfo(tvl)
      % TavloInfo  The information object of the Tavlo object TVL.
      info.Tvl = tvl;
    end

    function x = incumbent(info)
      % incumbent  Columns of the best integer solution found so far.
      x = info.Tvl.getCallbackX(info.CbHandle);
    end
  end

  methods (Hidden)
    function info = open(info)
      % open  Called by the module before the search starts.
    end

    function stop = callback(info, nodes, iterations, cutoff, bound, best, gap)
      % callback  Called by the module before each node: records the
      %   numbers and calls the user's function.
      info.NodeCount = nodes;
      info.MipIterations = iterations;
      info.Cutoff = cutoff;
      info.BestBound = bound;
      info.BestInteger = best;
      info.MipGap = gap;
      setting = info.Tvl.InfoCallback;
      args = {info};
      if isfield(setting, 'data')
        args{end + 1} = setting.data;
      end
      stop = 0;
      if nargout(setting.func) == 0
        setting.func(args{:});
      else
        stop = double(setting.func(args{:}));
      end
    end
  end
end
