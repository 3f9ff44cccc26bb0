function [x, fval, exitflag, output] = tavlo_results(sol, n)
  % tavlo_results  x, fval, exitflag and output of tavlo_linprog and
  %   tavlo_intlinprog from a Solution; x and fval are empty without a
  %   solution.  For a MIP, OUTPUT also has numnodes and relativegap when
  %   the library reports them, and iterations counts all node LPs.
  x = [];
  fval = [];
  if isfield(sol, 'x') && numel(sol.x) == n
    x = sol.x;
  end
  if isfield(sol, 'objval')
    fval = sol.objval;
  end
  [exitflag, message] = tavlo_exitflag(sol);
  output = struct('iterations', 0, 'message', message, 'status', 0, 'time', 0);
  if isfield(sol, 'itcnt')
    output.iterations = double(sol.itcnt);
  end
  if isfield(sol, 'mipitcnt')
    output.iterations = double(sol.mipitcnt);
  end
  if isfield(sol, 'nodecnt')
    output.numnodes = double(sol.nodecnt);
  end
  if isfield(sol, 'miprelgap')
    output.relativegap = sol.miprelgap;
  end
  if isfield(sol, 'status')
    output.status = double(sol.status);
    output.time = sol.time;
  end
end
