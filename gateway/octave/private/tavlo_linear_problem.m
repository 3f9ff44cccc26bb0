function t = tavlo_linear_problem(f, A, b, Aeq, beq, lb, ub, options)
  % tavlo_linear_problem  A Tavlo object for min f'*x subject to A*x <= b,
  %   Aeq*x = beq, lb <= x <= ub, with the options of tavlo_linprog and
  %   tavlo_intlinprog applied.  Empty arguments mean "none" (no rows, no
  %   bounds: lb -Inf, ub Inf).
  f = double(f(:));
  n = numel(f);
  if isempty(A)
    A = sparse(0, n);
    b = zeros(0, 1);
  end
  if isempty(Aeq)
    Aeq = sparse(0, n);
    beq = zeros(0, 1);
  end
  if size(A, 2) ~= n || size(Aeq, 2) ~= n || numel(b) ~= size(A, 1) || numel(beq) ~= size(Aeq, 1)
    error('tavlo:size', 'A and Aeq need one column per element of f, b and beq one value per row');
  end
  if isempty(lb)
    lb = -Inf(n, 1);
  end
  if isempty(ub)
    ub = Inf(n, 1);
  end
  if numel(lb) ~= n || numel(ub) ~= n
    error('tavlo:size', 'lb and ub need one value per element of f');
  end
  t = Tavlo();
  t.DisplayFunc = [];
  t.Model = struct('sense', 'minimize', 'obj', f, 'lb', double(lb(:)), 'ub', double(ub(:)), ...
                   'A', [sparse(A); sparse(Aeq)], 'lhs', [-Inf(numel(b), 1); double(beq(:))], ...
                   'rhs', [double(b(:)); double(beq(:))]);
  if nargin < 8 || isempty(options)
    return;
  end
  if isfield(options, 'Display') && any(strcmp(options.Display, {'iter', 'iter-detailed'}))
    t.DisplayFunc = @(line) fprintf('%s', line);
  end
  for name = {'MaxIterations', 'MaxIter'}
    if isfield(options, name{1}) && ~isempty(options.(name{1}))
      t.Param.simplex.limits.iterations.Cur = options.(name{1});
    end
  end
  if isfield(options, 'MaxTime') && ~isempty(options.MaxTime)
    t.Param.timelimit.Cur = options.MaxTime;
  end
  if isfield(options, 'Algorithm') && ~isempty(options.Algorithm)
    methods = struct('dual_simplex', 2, 'primal_simplex', 1);
    key = strrep(options.Algorithm, '-', '_');
    if isfield(methods, key)
      t.Param.lpmethod.Cur = methods.(key);
    end
  end
end
