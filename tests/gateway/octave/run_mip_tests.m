% MIPs through the Tavlo class, in batch mode:
%   octave-cli --no-gui --norc run_mip_tests.m MODULE_DIR CLASS_DIR MIPLIB_DIR
% Each check prints its name; the first failure ends Octave with status 1.
1;

% The best value of max c'x, A x <= b over the integer points of [0, u]^3,
% by enumeration.
function best = enumerate(c, A, b, u)
  best = -Inf;
  for a = 0:u(1)
    for p = 0:u(2)
      for q = 0:u(3)
        x = [a; p; q];
        if all(A * x <= b)
          best = max(best, c' * x);
        end
      end
    end
  end
end

addpath(fileparts(mfilename('fullpath')));
miplib = testSetup();

% A knapsack given as values whose LP relaxation is fractional.
c = [5; 4; 3];
A = [2 3 1; 4 1 2; 3 4 2];
b = [5; 11; 8];
t = quietTavlo();
t.Model = struct('sense', 'maximize', 'obj', c, 'lb', zeros(3, 1), 'ub', 10 * ones(3, 1), ...
                 'A', A, 'lhs', -Inf(3, 1), 'rhs', b, 'ctype', 'III');
expect(t.getProbType() == 1, 'a ctype makes the Model a MILP');
sol = t.solve();
expect(any(sol.status == [101 102]), 'the knapsack is solved to optimality');
expect(sol.objval == enumerate(c, A, b, [10 10 10]) && norm(sol.x - round(sol.x)) < 1e-9 && ...
       near(c' * sol.x, sol.objval, 1e-12), 'its optimum equals the enumerated one');
expect(isequal(t.Solution, sol) && isa(sol.status, 'int32'), 'the Solution is kept in the object');
expect(isfield(sol, 'bestobjval') && sol.bestobjval >= sol.objval - 1e-9 && isfield(sol, 'miprelgap') && ...
       sol.miprelgap <= 1e-4 && isfield(sol, 'cutoff'), 'best bound, gap and cutoff of a maximisation');
expect(~any(isfield(sol, {'dual', 'reducedcost', 'basis', 'indicatorax'})), ...
       'a MIP has no duals, reduced costs or basis');
expect(norm(sol.ax - A * sol.x) < 1e-9, 'ax holds the row activities');
q = t.getQuality('maxintinfeas');
expect(isstruct(q) && q.value <= 1e-6, 'getQuality of the integrality violation');
h = t.getQualityHierarchy();
expect(isfield(h, 'maxintinfeas') && isfield(h, 'maxprimalinfeas') && ~isfield(h, 'maxdualinfeas'), ...
       'the quality hierarchy of an integer solution shows the integer measures and no dual ones');

% Changed bounds and objective re-solve the MIP; without ctype it is the LP.
t.Model.ub(1) = 1;
sol = t.solve();
expect(sol.objval == enumerate(c, A, b, [1 10 10]), 'a tighter bound is honoured');
t.Model.obj = [1; 4; 1];
sol = t.solve();
expect(sol.objval == enumerate([1; 4; 1], A, b, [1 10 10]), 'a changed objective is honoured');
t.Model = rmfield(t.Model, 'ctype');
sol = t.solve();
expect(t.getProbType() == 0 && isfield(sol, 'basis') && ~isfield(sol, 'nodecnt') && ...
       sol.objval >= enumerate([1; 4; 1], A, b, [1 10 10]), 'removing ctype solves the LP relaxation');

% Bundled MIPLIB instances read with readModel: sizes and column types of
% the manifest, and optima within the relative MIP gap.
fast = {'p0033', 'flugpl', 'gt2', 'rgn', 'egout'};
solved = 0;
for row = manifestRows(miplib)
  f = row{1};
  name = f{1};
  if ~any(strcmp(name, fast))
    continue;
  end
  t = quietTavlo();
  t.readModel(fullfile(miplib, [name '.mps.gz']));
  m = t.Model;
  integer = m.ctype(:) == 'I' | m.ctype(:) == 'B';
  expect(isequal(size(m.A), [str2double(f{2}), str2double(f{3})]) && nnz(m.A) == str2double(f{4}) && ...
         nnz(integer) == str2double(f{5}) && nnz(integer & m.lb == 0 & m.ub == 1) == str2double(f{6}), ...
         [name ': sizes and column types']);
  sol = t.solve();
  opt = str2double(f{7});
  expect(any(sol.status == [101 102]) && abs(sol.objval - opt) <= 1e-4 * abs(opt) + 1e-6, ...
         sprintf('%s: objective %.10g, optimum %.10g', name, sol.objval, opt));
  expect(sol.nodecnt > 0 && sol.mipitcnt > 0 && abs(sol.bestobjval - opt) <= 1e-4 * abs(opt) + 1e-6, ...
         [name ': node and iteration counts, best bound']);
  x = sol.x;
  expect(all(abs(x(integer) - round(x(integer))) <= 1e-5) && all(x >= m.lb - 1e-6 & x <= m.ub + 1e-6) && ...
         all(m.A * x >= m.lhs - 1e-6 & m.A * x <= m.rhs + 1e-6), [name ': x is integer feasible']);
  solved = solved + 1;
  delete(t);
end
expect(solved == numel(fast), 'the easy bundled MIPs were solved');

% A node limit stops the search with the limit's status and what was found.
t = quietTavlo();
t.readModel(fullfile(miplib, 'lseu.mps.gz'));
t.Param.mip.limits.nodes.Cur = 20;
sol = t.solve();
expect(any(sol.status == [105 106]) && sol.nodecnt <= 21 && isfield(sol, 'nodeleftcnt'), ...
       'a node limit of 20 stops lseu with nodes left');
expect(sol.status == 106 || (isfield(sol, 'miprelgap') && sol.objval >= sol.bestobjval), ...
       'an incumbent found before the limit is reported with its gap');

% The information callback: called before each node with the search's
% numbers, the incumbent readable inside it; a true result stops the solve
% and the rest of its log.
global seen logLines;
seen = struct('nodes', [], 'gap', [], 'x', {{}}, 'linesAtStop', -1);
logLines = {};
function stop = watch(info, data)
  global seen logLines;
  seen.nodes(end + 1) = info.NodeCount;
  seen.gap(end + 1) = info.MipGap;
  if info.BestInteger < 1e75
    seen.x{end + 1} = info.incumbent();
  end
  stop = data.stopAtIncumbent && ~isempty(seen.x);
  if stop
    seen.linesAtStop = numel(logLines);
  end
end
function logLine(line)
  global logLines;
  logLines{end + 1} = line;
end
t = quietTavlo();
t.readModel(fullfile(miplib, 'p0033.mps.gz'));
t.InfoCallback = struct('func', @watch, 'data', struct('stopAtIncumbent', false));
sol = t.solve();
expect(numel(seen.nodes) + 1 == sol.nodecnt && all(diff(seen.nodes) >= 0), ...
       'the callback runs before each node after the root, with the node count');
expect(~isempty(seen.x) && numel(seen.x{end}) == 33 && seen.gap(end) < seen.gap(1), ...
       'the incumbent is readable inside the callback, and the gap closes');
expect(near(t.Model.obj' * seen.x{end}, sol.objval, 1e-9), 'the last incumbent seen is the solution');
expect(~isempty(strfind(errorOf(@() t.getCallbackX(uint64(12345))), 'Wrong arguments')), ...
       'getCallbackX outside a callback fails');
t.DisplayFunc = @logLine;
seen = struct('nodes', [], 'gap', [], 'x', {{}}, 'linesAtStop', -1);
t.InfoCallback.data.stopAtIncumbent = true;
t.Param.mip.display.Cur = 2;
t.Param.mip.interval.Cur = 1;
sol = t.solve();
expect(sol.status == 113 && numel(seen.x) == 1 && near(sol.objval, t.Model.obj' * seen.x{1}, 1e-9), ...
       'a true result stops the MIP with the aborted status and its incumbent');
logged = numel(logLines);
expect(logged > 0 && seen.linesAtStop == logged, 'and no log follows the stop');
t.InfoCallback = [];
t.solve();
expect(numel(logLines) > logged && numel(seen.x) == 1, 'without InfoCallback the log shows and nothing is called');
t.InfoCallback = struct('func', @(info) error('broken callback'));
sol = t.solve();
expect(sol.status == 114 || sol.status == 113, 'a callback that fails stops the solve');

% The solution pool of a solved MIP, and MIP starts: installed from
% MipStart, shown after the solve, written to and read from a file.
t = quietTavlo();
t.readModel(fullfile(miplib, 'p0033.mps.gz'));
sol = t.solve();
pool = sol.pool;
expect(isa(pool.numreplaced, 'int32') && isequal(t.Solution.pool, pool), 'a solved MIP has a pool');
% The pool holds what the MIP optimizer offers it; each solution shown must
% be integral, with its own objective and row activities.
if isfield(pool, 'solution')
  feasible = true;
  for k = 1:numel(pool.solution)
    p = pool.solution(k);
    feasible = feasible && all(abs(p.x - round(p.x)) <= 1e-6) && norm(p.ax - t.Model.A * p.x, Inf) <= 1e-6 && ...
               near(t.Model.obj' * p.x, p.objval, 1e-9) && p.objval >= sol.objval - 1e-6;
  end
  expect(feasible && near(pool.meanobj, mean([pool.solution.objval]), 1e-9), ...
         'every pool solution is integral, with its objective and row activities; meanobj is their mean');
else
  printf('note: the MIP optimizer kept no pool solution\n');
end
t.MipStart = struct('x', sol.x);
t.installStart();
again = t.solve();
expect(near(again.objval, sol.objval, 1e-9) && numel(t.MipStart) == 1 && isequal(t.MipStart(1).x, sol.x) && ...
       isequal(t.MipStart(1).xindices, int32((1:33)')), 'a full MIP start is installed and shown with its indices');
t.MipStart = struct('x', [1; 0; 1], 'xindices', int32([2 5 7]), 'effortlevel', int32(1), 'name', 'part');
t.installStart();
t.solve();
m = t.MipStart;
expect(numel(m) == 1 && isequal(m.xindices, int32([2; 5; 7])) && isequal(m.x, [1; 0; 1]) && ...
       m.effortlevel == 1 && strcmp(m.name, 'part'), 'a partial start keeps its columns, effort level and name');
mst = [tempname() '.mst'];
t.MipStart(2) = struct('x', sol.x, 'xindices', int32(1:33), 'effortlevel', int32(0), 'name', 'full');
t.installStart();
t.writeMipStart(mst);
u = quietTavlo();
u.readModel(fullfile(miplib, 'p0033.mps.gz'));
u.readMipStart(mst);
expect(numel(u.MipStart) == 2 && isequal(u.MipStart(2).x(u.MipStart(2).xindices), sol.x(u.MipStart(2).xindices)) && ...
       strcmp(u.MipStart(1).name, 'part'), 'writeMipStart and readMipStart carry both starts');
delete(mst);
expect(strcmp(errorOf(@() tavlolink(t, 'writeMipStart', {mst, 2})), 'wrong parameters to Tavlo.writeParam'), ...
       'writeMipStart with two arguments');
t.MipStart = struct('xindices', int32(1));
t.installStart();
expect(strcmp(errorOf(@() t.solve()), 'No Tavlo.MipStart.x found'), 'a MIP start without x');
t.MipStart = struct('x', [1; 2], 'xindices', int32(1));
t.installStart();
expect(strcmp(errorOf(@() t.solve()), 'length not equal'), 'a MIP start whose x and xindices differ in length');

% Indicator constraints: z = 1 forces x1 + 2 x2 <= 4, z = 0 forces x2 >= 3;
% the optimum takes z = 1.  indicatorax holds each indicator row's activity
% at the solution, switched on or not.
t = quietTavlo();
t.Model = struct('sense', 'maximize', 'obj', [1; 1; 5], 'lb', [0; 0; 0], 'ub', [10; 10; 1], ...
                 'A', [1 1 0], 'lhs', -Inf, 'rhs', 8, 'ctype', 'CCB', ...
                 'indicator', struct('variable', {3, 3}, 'complemented', {0, 1}, 'sense', {'L', 'G'}, ...
                                     'rhs', {4, 3}, 'a', {[1; 2; 0], [0; 1; 0]}, 'name', {'on', 'off'}));
sol = t.solve();
expect(any(sol.status == [101 102]) && near(sol.objval, 9, 1e-9) && norm(sol.x - [4; 0; 1]) < 1e-6, ...
       'the indicator MIP reaches its optimum 9 at (4, 0, 1)');
expect(isequal(size(sol.indicatorax), [2 1]) && norm(sol.indicatorax - [4; 0]) < 1e-6, ...
       'indicatorax holds the activities of both indicator rows');
t.Model.indicator(2).a = [1; 1; 0];
sol = t.solve();
expect(norm(sol.indicatorax - [sol.x(1) + 2 * sol.x(2); sol.x(1) + sol.x(2)]) < 1e-6, ...
       'a changed indicator row shows its new activity');
delete(t);

% populate on stein27, which has many optimal solutions: straight from the
% model (both phases), then again after a solve, with the absolute pool gap
% 0 keeping it to optimal ones.  Every pool solution is distinct and
% feasible, and its quality measures come from its own columns.
t = quietTavlo();
t.readModel(fullfile(miplib, 'stein27.mps.gz'));
t.Param.mip.limits.populate.Cur = 15;
sol = t.populate();
n = numel(sol.pool.solution);
X = [sol.pool.solution.x];
expect(any(sol.status == [128 129 130]) && sol.objval == 18 && n >= 15 && isequal(t.Solution, sol), ...
       sprintf('populate without a prior solve: status %d, %d pool solutions', sol.status, n));
expect(size(unique(X', 'rows'), 1) == n && all(all(t.Model.A * X >= t.Model.lhs - 1e-6)) && ...
       all(abs(X(:) - round(X(:))) <= 1e-9), 'the pool holds distinct integer-feasible solutions');
expect(norm([sol.pool.solution.objval] - t.Model.obj' * X, Inf) <= 1e-9, 'with their own objectives');
u = quietTavlo();
u.readModel(fullfile(miplib, 'stein27.mps.gz'));
before = numel(u.solve().pool.solution);
u.Param.mip.pool.absgap.Cur = 0;
u.Param.mip.limits.populate.Cur = 10;
sol = u.populate();
expect(sol.status == 128 && numel(sol.pool.solution) == before + 10 && ...
       sum([sol.pool.solution.objval] == 18) >= 10, 'after a solve, 10 more optimal solutions end populate with 128');
k = numel(sol.pool.solution);
q = u.getQualityOfPool(k - 1, 'maxprimalinfeas');
o = u.getQualityOfPool(k - 1, 'primalobj');
expect(isstruct(q) && isfield(q, 'index') && q.value <= 1e-9 && o.value == sol.pool.solution(k).objval && ...
       ~isfield(o, 'index'), 'getQualityOfPool counts from 0 and answers primal measures');
expect(isequal(u.getQualityOfPool(-1, 'maxx'), u.getQuality('maxx')), 'index -1 is the incumbent');
expect(isempty(u.getQualityOfPool(k, 'maxx')) && isempty(u.getQualityOfPool(0, 'maxdualinfeas')) && ...
       isempty(u.getQualityOfPool(0, 'nosuchmeasure')), 'an index outside the pool, a dual or unknown measure give []');
v = quietTavlo();
v.Model = struct('sense', 'minimize', 'obj', 1, 'lb', 0, 'ub', 1, 'A', 1, 'lhs', 0, 'rhs', 1);
expect(~isempty(strfind(errorOf(@() v.populate()), 'Not a mixed-integer problem')) && isempty(v.Solution), ...
       'populate of an LP fails with the library''s text and leaves no Solution');
delete(t); delete(u); delete(v);

% The intlinprog-style function with integer variables.
[x, fval, exitflag] = tavlo_intlinprog(-c, 1:3, A, b, [], [], zeros(3, 1), 10 * ones(3, 1));
expect(exitflag == 1 && fval == -enumerate(c, A, b, [10 10 10]) && norm(x - round(x)) < 1e-9, ...
       'tavlo_intlinprog solves the knapsack');
printf('all Octave MIP checks passed\n');
