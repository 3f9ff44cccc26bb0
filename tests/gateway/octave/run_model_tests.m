% Models, solves, files and starts through the Tavlo class, in batch mode:
%   octave-cli --no-gui --norc run_model_tests.m MODULE_DIR CLASS_DIR NETLIB_DIR
% Each check prints its name; the first failure ends Octave with status 1.
1;

function n = iterations(sol)
  n = 0;
  if isfield(sol, 'itcnt')
    n = double(sol.itcnt);
  end
end

function t = smallLp()
  % max 3x + 2y  s.t.  x + y <= 4,  x + 3y <= 6,  x, y >= 0: optimum 12 at (4, 0).
  t = quietTavlo();
  t.Model = struct('sense', 'maximize', 'obj', [3; 2], 'lb', [0; 0], 'ub', [Inf; Inf], ...
                   'A', [1 1; 1 3], 'lhs', [-Inf; -Inf], 'rhs', [4; 6]);
end

addpath(fileparts(mfilename('fullpath')));
netlib = testSetup();

% A model given as values, solved; the Solution of an LP.
t = smallLp();
sol = t.solve();
expect(sol.status == 1 && strcmp(sol.statusstring, 'optimal'), 'the small LP is optimal');
expect(sol.objval == 12 && isequal(sol.x, [4; 0]), 'objective 12 at (4, 0)');
expect(isequal(t.Solution, sol), 'the Solution is kept in the object');
expect(isequal(sol.ax, [4; 4]) && numel(sol.dual) == 2 && numel(sol.reducedcost) == 2, 'ax, dual, reducedcost');
expect(isa(sol.status, 'int32') && isa(sol.basis.colstat, 'int32') && numel(sol.basis.rowstat) == 2, ...
       'int32 status and basis');
expect(sol.time >= 0 && isfield(sol, 'method') && isfield(sol, 'itcnt'), 'time, method and iteration count');
expect(~any(isfield(sol, {'nodecnt', 'bestobjval', 'miprelgap', 'pool', 'indicatorax'})), 'no MIP fields for an LP');
expect(isequal(t.Start.x, sol.x) && isequal(t.Start.basis, sol.basis), 'Start is refreshed from the solution');
expect(t.getProbType() == 0, 'getProbType of an LP');
q = t.getQuality('maxx');
expect(isfield(q, 'index') && q.value == 4, 'getQuality maxx has index and value');
expect(isempty(t.getQuality('nosuchmeasure')), 'an unknown measure gives []');
h = t.getQualityHierarchy();
expect(isfield(h, 'maxprimalinfeas') && isfield(h, 'maxdualinfeas') && ~isfield(h, 'maxintinfeas'), ...
       'the quality hierarchy of a basic LP solution');

% Incremental changes: the problem keeps its basis.
t.Model.obj(2) = 5;
sol = t.solve();
expect(near(sol.objval, 14, 1e-9) && near(sol.x(1), 3, 1e-9) && near(sol.x(2), 1, 1e-9), ...
       'a changed objective moves the optimum to (3, 1)');
t.Model.ub(1) = 2;
sol = t.solve();
expect(near(sol.objval, 2 * 3 + 4 / 3 * 5, 1e-9), 'an upper bound x <= 2 is honoured');
t.Model.rhs(2) = 9;
sol = t.solve();
expect(near(sol.objval, 17, 1e-9) && near(sol.x(1), 1.5, 1e-9), 'a changed right-hand side');
t.Model.sense = 'minimize';
sol = t.solve();
expect(sol.objval == 0, 'minimising instead');

% Failures: texts of the gateway codes, and the flags survive a failure.
t = smallLp();
t.Model.sense = 'max';
expect(strcmp(errorOf(@() t.solve()), 'No Tavlo.Model.sense found'), 'sense "max" is refused');
t.Model.sense = 'maximize';
expect(t.solve().objval == 12, 'the same object solves once the sense is right');
t.Model.obj = [1; 2; 3];
expect(strcmp(errorOf(@() t.solve()), 'length not equal'), 'an objective of the wrong length');
t.Model.obj = [3; 2];
expect(strcmp(errorOf(@() tavlolink(t, 'writeModel', {'a.lp', 'b'})), 'wrong parameters to Tavlo.writeModel'), ...
       'writeModel with two arguments');
expect(strcmp(errorOf(@() t.readModel(3)), 'wrong parameters to Tavlo.readModel'), 'readModel of a number');
expect(~isempty(strfind(errorOf(@() t.readModel('/nonexistent/x.mps')), '1423')), ...
       'readModel of a missing file raises the library''s text');

% The four row kinds and names survive writing and reading back.
dir = tempname();
mkdir(dir);
t = Tavlo('kinds');
t.DisplayFunc = [];
t.Model = struct('sense', 'minimize', 'obj', [1; 1], 'lb', [-Inf; 0], 'ub', [Inf; 10], ...
                 'A', sparse([1 0; 1 1; 0 1; 1 -1; 2 1]), 'lhs', [-Inf; 5; 1; 2; -Inf], ...
                 'rhs', [Inf; 5; 3; Inf; 8], 'name', 'kinds', 'objname', 'cost', ...
                 'colname', ['x   '; 'yy z'], 'rowname', ['free'; 'eq  '; 'rng '; 'ge  '; 'le  ']);
file = fullfile(dir, 'kinds.mps');
t.writeModel(file);
u = Tavlo();
u.readModel(file);
m = u.Model;
expect(isequal(m.lhs, [-Inf; 5; 1; 2; -Inf]) && isequal(m.rhs, [1e20; 5; 3; Inf; 8]), ...
       'row kinds read back (a free row is an L row at 1e20)');
expect(isequal(full(m.A), [1 0; 1 1; 0 1; 1 -1; 2 1]) && issparse(m.A), 'A read back, sparse');
expect(isequal(m.lb, [-Inf; 0]) && isequal(m.ub, [Inf; 10]), 'infinite bounds read back as Inf');
expect(strcmp(strtrim(m.colname(2, :)), 'yy') && strcmp(strtrim(m.rowname(3, :)), 'rng'), ...
       'a name ends at its first blank');
expect(strcmp(m.objname, 'cost'), 'objective name');
t.Model.rowname(4, :) = '    ';
t.Model.rowname(2, :) = 'bal ';
t.writeModel(file);
u.readModel(file);
expect(strcmp(strtrim(u.Model.rowname(2, :)), 'bal') && strcmp(strtrim(u.Model.rowname(4, :)), 'ge'), ...
       'a blank name keeps the row''s name on a name update');
t.Model.A(5, 2) = 3;
t.writeModel(file);
u.readModel(file);
expect(u.Model.A(5, 2) == 3 && strcmp(strtrim(u.Model.rowname(2, :)), 'bal'), 'a changed matrix rebuilds with names');

% Rows and columns added and deleted.
t = smallLp();
t.solve();
t.addRows(-Inf, [1 0], 3, 'cap');
sol = t.solve();
expect(near(sol.objval, 3 * 3 + 2 * 1, 1e-9) && size(t.Model.A, 1) == 3, 'an added row x <= 3');
t.addCols(4, [1; 1; 0], 0, Inf);
sol = t.solve();
expect(near(sol.objval, 16, 1e-9) && numel(sol.x) == 3, 'an added column');
t.delRows(3);
t.delCols(3);
sol = t.solve();
expect(sol.objval == 12 && isequal(size(t.Model.A), [2 2]), 'deleting them restores the first optimum');
t.addCols([1; 1], [], [0; 0], [1; 1]);
t.delCols([3 4]);
expect(t.solve().objval == 12, 'empty coefficient block, and a range of columns deleted');
% A Model with names keeps one name per row and column when rows and
% columns come without names.
t = smallLp();
t.Model.rowname = char('r1', 'r2');
t.Model.colname = char('x', 'y');
t.addRows(-Inf, [1 0], 3);
t.addCols(4, [1; 1; 0], 0, Inf);
expect(isequal(cellstr(t.Model.rowname), {'r1'; 'r2'; 'c3'}) && isequal(cellstr(t.Model.colname), {'x'; 'y'; 'x3'}), ...
       'unnamed rows and columns added to a named Model get c<i> and x<j>');
expect(near(t.solve().objval, 16, 1e-9), 'the named Model with its additions solves');

% Basis files and starts: a solved basis makes the next solve immediate.
t = quietTavlo();
t.readModel(fullfile(netlib, 'afiro.mps.gz'));
t.solve();
bas = fullfile(dir, 'afiro.bas');
t.writeBasis(bas);
u = quietTavlo();
u.readModel(fullfile(netlib, 'afiro.mps.gz'));
u.readBasis(bas);
sol = u.solve();
expect(~isfield(sol, 'itcnt') && near(sol.objval, -464.753142857, 1e-9), 'a read basis needs no iteration');
t.Start.basis = rmfield(t.Start.basis, 'rowstat');
t.installStart();
expect(strcmp(errorOf(@() t.solve()), ...
       'No Tavlo.Start.basis.colstat or Tavlo.Start.basis.rowstat found'), 'a basis without rowstat');
t.Start.basis.rowstat = int32([1; 1]);
expect(strcmp(errorOf(@() t.solve()), 'length not equal'), 'a basis of the wrong length');
t.Start = struct();
t.change();
sol = t.solve();
expect(near(sol.objval, -464.753142857, 1e-9), 'a rebuilt model solves from scratch');

% Bundled Netlib instances read with readModel: sizes and optima of the manifest.
count = 0;
warmIt = 0;
coldIt = 0;
for row = manifestRows(netlib)
  f = row{1};
  name = f{1};
  t = quietTavlo();
  t.readModel(fullfile(netlib, [name '.mps.gz']));
  expect(isequal(size(t.Model.A), [str2double(f{2}), str2double(f{3})]) && nnz(t.Model.A) == str2double(f{4}), ...
         [name ': sizes']);
  sol = t.solve();
  expect(sol.status == 1 && near(sol.objval, str2double(f{7}), 1e-6), [name ': optimum']);
  % A warm re-solve after tightening the bound of a basic column equals a
  % cold solve of the changed model, in fewer iterations overall.
  if count < 10
    j = find(sol.basis.colstat == 1 & t.Model.ub > sol.x + 1e-3 & sol.x > 1e-3, 1);
    if ~isempty(j)
      t.Model.ub(j) = sol.x(j) / 2;
      again = t.solve();
      cold = quietTavlo();
      cold.Model = t.Model;
      ref = cold.solve();
      expect(again.status == ref.status && (ref.status ~= 1 || near(again.objval, ref.objval, 1e-7)), ...
             [name ': warm re-solve after a bound change equals a cold solve']);
      warmIt = warmIt + iterations(again);
      coldIt = coldIt + iterations(ref);
      delete(cold);
    end
  end
  count = count + 1;
  delete(t);
end
expect(count >= 20, 'the bundled Netlib subset was read');
printf('warm re-solves: %d iterations, cold solves: %d\n', warmIt, coldIt);
expect(warmIt < coldIt / 2, 'warm re-solves take fewer than half the iterations of cold ones');
% The linprog-style functions on the same kind of data.
[x, fval, exitflag, output, lambda] = tavlo_linprog([-3; -2], [1 1; 1 3], [4; 6], [], [], [0; 0], []);
expect(isequal(x, [4; 0]) && fval == -12 && exitflag == 1 && output.status == 1, 'tavlo_linprog solves the small LP');
expect(all(lambda.ineqlin >= 0) && norm([-3; -2] + [1 1; 1 3]' * lambda.ineqlin - lambda.lower + lambda.upper) < 1e-9, ...
       'tavlo_linprog multipliers satisfy stationarity');
[x, fval] = tavlo_linprog([1; 1], [], [], [1 2], 4, [0; 0], [10; 10]);
expect(near(fval, 2, 1e-12) && near(x(2), 2, 1e-12), 'tavlo_linprog with equations only');
[~, ~, exitflag] = tavlo_linprog([1; 1], [-1 -1; 1 1], [-3; 2], [], [], [0; 0], []);
expect(exitflag == -2 || exitflag == -5, 'tavlo_linprog reports infeasibility');
[~, ~, exitflag] = tavlo_linprog([-1; 0], [], [], [], [], [0; 0], []);
expect(exitflag == -3 || exitflag == -5, 'tavlo_linprog reports unboundedness');
x = tavlo_intlinprog([-1; -2], [], [1 1; -1 1], [3.5; 1.5], [], [], [0; 0], []);
expect(norm(x - [1; 2.5]) < 1e-12, 'tavlo_intlinprog without integers is the LP');
t = Tavlo();
t.readModel(fullfile(netlib, 'sc50a.mps.gz'));
m = t.Model;
le = isinf(m.lhs) & m.lhs < 0;
ge = isinf(m.rhs) & m.rhs > 0;
eq = m.lhs == m.rhs;
expect(all(le | ge | eq), 'sc50a has no ranged rows');
[~, fval] = tavlo_linprog(m.obj, [m.A(le, :); -m.A(ge, :)], [m.rhs(le); -m.lhs(ge)], m.A(eq, :), m.rhs(eq), m.lb, m.ub);
expect(near(fval, -6.4575077059e+01, 1e-8), 'tavlo_linprog on sc50a reaches the Netlib optimum');
% A MIP read from a file keeps its column types; without them it is its LP
% relaxation.
t = quietTavlo();
t.readModel(fullfile(netlib, '..', 'miplib', 'p0033.mps.gz'));
expect(t.getProbType() == 1 && all(t.Model.ctype == 'I') && numel(t.Model.ctype) == 33 && all(t.Model.ub == 1), ...
       'p0033 read as a MIP with 33 0-1 integer columns');
t.Model = rmfield(t.Model, 'ctype');
sol = t.solve();
expect(sol.status == 1 && t.getProbType() == 0 && near(sol.objval, 2520.571739, 1e-7), ...
       'the same model without ctype is its LP relaxation');

% Ctrl-C during a long solve: the optimisation stops with the aborted
% status, the Solution reports it, and the object goes on working.
rand('seed', 1);
n = 3000;
m = 2000;
t = quietTavlo();
t.Model = struct('sense', 'maximize', 'obj', rand(n, 1), 'lb', zeros(n, 1), 'ub', Inf(n, 1), ...
                 'A', sprand(m, n, 0.01) + [speye(m), sparse(m, n - m)], 'lhs', -Inf(m, 1), 'rhs', ones(m, 1));
system(sprintf('sleep 2; kill -INT %d', getpid()), false, 'async');
tic;
sol = t.solve();
elapsed = toc;
expect(sol.status == 13 && strcmp(sol.statusstring, 'user aborted') && elapsed < 30, ...
       sprintf('SIGINT stops a long solve (after %.1f s)', elapsed));
expect(isfield(sol, 'itcnt') && isequal(t.Solution, sol) && t.getProbType() == 0, ...
       'the aborted Solution is kept and the object goes on');
confirm_recursive_rmdir(false);
rmdir(dir, 's');
printf('all Octave model checks passed\n');
