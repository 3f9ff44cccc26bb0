function [x, fval, exitflag, output, lambda] = tavlo_linprog(f, A, b, Aeq, beq, lb, ub, options)
  % tavlo_linprog  Solves a linear program with TAVLO:
  %
  %     min f'*x   subject to   A*x <= b,  Aeq*x = beq,  lb <= x <= ub
  %
  %   [x, fval, exitflag, output, lambda] = tavlo_linprog(f, A, b, Aeq, beq, lb, ub, options)
  %
  %   Trailing arguments may be left out and any argument may be [] (no
  %   inequalities, no equations, lb = -Inf, ub = Inf).  A and Aeq may be
  %   dense or sparse.  OPTIONS is a structure (e.g. from optimset) whose
  %   fields Display ('off', 'final' or 'iter': 'iter' shows the solver's
  %   log), MaxIterations (or MaxIter), MaxTime (seconds) and Algorithm
  %   ('dual-simplex' or 'primal-simplex') are used; other fields are ignored.
  %
  %   EXITFLAG: 1 optimal, 0 iteration or time limit reached, -1 stopped by
  %   Ctrl-C, -2 infeasible, -3 unbounded, -5 infeasible or unbounded.
  %   OUTPUT has iterations, message, status (TAVLO's status code) and
  %   time.  LAMBDA has ineqlin, eqlin, lower and upper, the multipliers
  %   (all nonnegative at an optimum except eqlin) with
  %   f + A'*ineqlin + Aeq'*eqlin - lower + upper = 0.
  %
  %   Example:
  %     f = [-3; -2];
  %     A = [1 1; 1 3];  b = [4; 6];
  %     [x, fval] = tavlo_linprog(f, A, b, [], [], [0; 0], [])
  %     % x = [4; 0], fval = -12
  %
  %   See also tavlo_intlinprog, Tavlo.
  if nargin < 8, options = []; end
  if nargin < 7, ub = []; end
  if nargin < 6, lb = []; end
  if nargin < 5, beq = []; end
  if nargin < 4, Aeq = []; end
  if nargin < 3, b = []; end
  if nargin < 2, A = []; end
  t = tavlo_linear_problem(f, A, b, Aeq, beq, lb, ub, options);
  cleanup = onCleanup(@() delete(t));
  sol = tavlo_solve_verdict(t);
  [x, fval, exitflag, output] = tavlo_results(sol, numel(f));
  if nargout >= 5
    mineq = numel(b);
    pi = [];
    d = [];
    if isfield(sol, 'dual') && isfield(sol, 'reducedcost')
      pi = sol.dual;
      d = sol.reducedcost;
    end
    lambda = struct('ineqlin', -pi(1:min(mineq, end)), 'eqlin', -pi(mineq + 1:end), ...
                    'lower', max(d, 0), 'upper', max(-d, 0));
  end
end
