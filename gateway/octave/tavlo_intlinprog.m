function [x, fval, exitflag, output] = tavlo_intlinprog(f, intcon, A, b, Aeq, beq, lb, ub, varargin)
  % tavlo_intlinprog  Solves a mixed-integer linear program with TAVLO:
  %
  %     min f'*x   subject to   A*x <= b,  Aeq*x = beq,  lb <= x <= ub,
  %                             x(intcon) integer
  %
  %   [x, fval, exitflag, output] = tavlo_intlinprog(f, intcon, A, b, Aeq, beq, lb, ub, options)
  %   [x, fval, exitflag, output] = tavlo_intlinprog(f, intcon, A, b, Aeq, beq, lb, ub, x0, options)
  %
  %   INTCON lists the (1-based) indices of the integer variables; the other
  %   arguments and OPTIONS are those of tavlo_linprog.  X0, when given, is
  %   a starting point offered to the optimiser.  EXITFLAG is as for
  %   tavlo_linprog, and 2 when a limit stopped the search after an integer
  %   solution was found (X is then the best one).  OUTPUT also has
  %   numnodes and relativegap.  With INTCON = [] the problem is an LP.
  %
  %   Example:
  %     f = [-1; -2];  A = [1 1; -1 1];  b = [3.5; 1.5];
  %     x = tavlo_intlinprog(f, [], A, b, [], [], [0; 0], [])   % LP: [1; 2.5]
  %     x = tavlo_intlinprog(f, 1:2, A, b, [], [], [0; 0], [])  % [1; 2]
  %
  %   See also tavlo_linprog, Tavlo.
  if nargin < 8, ub = []; end
  if nargin < 7, lb = []; end
  if nargin < 6, beq = []; end
  if nargin < 5, Aeq = []; end
  if nargin < 4, b = []; end
  if nargin < 3, A = []; end
  options = [];
  x0 = [];
  if numel(varargin) == 1 && (isstruct(varargin{1}) || isempty(varargin{1}))
    options = varargin{1};
  elseif numel(varargin) >= 1
    x0 = varargin{1};
    if numel(varargin) >= 2
      options = varargin{2};
    end
  end
  t = tavlo_linear_problem(f, A, b, Aeq, beq, lb, ub, options);
  cleanup = onCleanup(@() delete(t));
  if ~isempty(intcon)
    ctype = repmat('C', 1, numel(f));
    ctype(intcon) = 'I';
    t.Model.ctype = ctype;
    if ~isempty(x0)
      t.MipStart = struct('x', double(x0(:)));
      t.installStart();
    end
  end
  sol = tavlo_solve_verdict(t);
  [x, fval, exitflag, output] = tavlo_results(sol, numel(f));
end
