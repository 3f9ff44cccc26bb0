% The conflict refiner and the feasibility relaxation through the Tavlo
% class, on Netlib and MIPLIB instances made infeasible by an
% objective cut, in batch mode:
%   octave-cli --no-gui --norc run_relax_tests.m MODULE_DIR CLASS_DIR DATA_DIR
% Each check prints its name; the first failure ends Octave with status 1.
1;

function [t, zstar] = withObjectiveCut(file, gap)
  % The model of FILE with the row obj'x <= z* - gap (minimisation) added
  % after solving it: infeasible, and the cut is needed to show it.
  t = quietTavlo();
  t.readModel(file);
  sol = t.solve();
  zstar = sol.objval;
  t.addRows(-Inf, t.Model.obj(:).', zstar - gap, 'objcut');
end

function status = feasibility(m, rows, lbcols, ubcols)
  % Solves the part of Model M made of the rows ROWS and the lower and
  % upper bounds of the columns LBCOLS and UBCOLS (every other bound free)
  % with a zero objective; returns the status (1 feasible, 3 infeasible;
  % 101/103 for a MIP).  A MIP part gets 10 s: without one of its bounds a
  % MIP conflict can leave a feasibility problem over free integer
  % columns whose point branch and bound does not find at all (p0033's
  % objective cut); the check then sees a time limit, not infeasibility.
  t = quietTavlo();
  t.Param.timelimit.Cur = 10;
  n = numel(m.obj);
  lb = -Inf(n, 1);
  ub = Inf(n, 1);
  lb(lbcols) = m.lb(lbcols);
  ub(ubcols) = m.ub(ubcols);
  s = struct('sense', 'minimize', 'obj', zeros(n, 1), 'lb', lb, 'ub', ub, 'A', m.A(rows, :), ...
             'lhs', m.lhs(rows), 'rhs', m.rhs(rows));
  if isfield(m, 'ctype') && ~isempty(m.ctype)
    % Binary columns become general integers, so that their bounds are
    % bounds like any other (and can be left out).
    s.ctype = strrep(m.ctype, 'B', 'I');
  end
  t.Model = s;
  sol = t.solve();
  status = double(sol.status);
end

function v = elasticSum(m)
  % The least sum of row violations that makes Model M feasible, from an
  % elastic LP of its own: A x + p - q within [lhs, rhs], p, q >= 0,
  % minimise sum(p + q), the column bounds kept.
  [mm, n] = size(m.A);
  t = quietTavlo();
  t.Model = struct('sense', 'minimize', 'obj', [zeros(n, 1); ones(2 * mm, 1)], ...
                   'lb', [m.lb(:); zeros(2 * mm, 1)], 'ub', [m.ub(:); Inf(2 * mm, 1)], ...
                   'A', [m.A, speye(mm), -speye(mm)], 'lhs', m.lhs, 'rhs', m.rhs);
  sol = t.solve();
  v = sol.objval;
end

function ok = infeasibleStatus(s)
  ok = s == 3 || s == 103 || s == 119;
end

function checkIrreducible(m, c, what)
  % The conflict C of model M is infeasible, and dropping any one member
  % (a row, or one bound of a column) makes it feasible.
  rows = double(c.rowind(:)).';
  cols = double(c.colind(:)).';
  st = double(c.colbdstat(:)).';
  lbcols = cols(st == 4 | st == 3);
  ubcols = cols(st == 5 | st == 3);
  expect(infeasibleStatus(feasibility(m, rows, lbcols, ubcols)), [what ': the conflict alone is infeasible']);
  for k = 1:numel(rows)
    s = feasibility(m, rows([1:k - 1, k + 1:end]), lbcols, ubcols);
    expect(~infeasibleStatus(s), sprintf('%s: without row %d it is feasible (%d)', what, rows(k), s));
  end
  for k = 1:numel(lbcols)
    s = feasibility(m, rows, lbcols([1:k - 1, k + 1:end]), ubcols);
    expect(~infeasibleStatus(s), sprintf('%s: without the lower bound of column %d it is feasible', what, lbcols(k)));
  end
  for k = 1:numel(ubcols)
    s = feasibility(m, rows, lbcols, ubcols([1:k - 1, k + 1:end]));
    expect(~infeasibleStatus(s), sprintf('%s: without the upper bound of column %d it is feasible', what, ubcols(k)));
  end
end

addpath(fileparts(mfilename('fullpath')));
data = testSetup();
netlib = fullfile(data, 'netlib');
miplib = fullfile(data, 'miplib');

% An infeasible LP: afiro with its optimum cut off.
[t, zstar] = withObjectiveCut(fullfile(netlib, 'afiro.mps.gz'), 1);
m = t.Model;
t.solve();
expect(t.Solution.status == 3, 'afiro with an objective cut is infeasible');
conf = t.refineConflict();
expect(isempty(t.Solution), 'refineConflict removes the Solution');
expect(isequal(conf, t.Conflict), 'the Conflict is kept in the object and returned');
expect(isequal(fieldnames(conf).', {'status', 'colind', 'colbdstat', 'rowind', 'rowbdstat'}), ...
       'Conflict fields in order');
expect(all(cellfun(@(f) isa(conf.(f), 'int32'), fieldnames(conf))), 'every Conflict field is int32');
expect(conf.status == 31, sprintf('status 31, minimal conflict (%d)', conf.status));
n = numel(m.obj);
mm = numel(m.rhs);
expect(all(conf.rowind >= 1 & conf.rowind <= mm) && all(conf.colind >= 1 & conf.colind <= n), ...
       'indices are 1-based and within the model');
expect(any(conf.rowind == mm), 'the objective cut (the last row) is in the conflict');
expect(numel(conf.rowbdstat) == numel(conf.rowind) && numel(conf.colbdstat) == numel(conf.colind) && ...
       all(conf.rowbdstat == 3) && all(ismember(conf.colbdstat, [3 4 5])), 'membership codes of a minimal conflict');
checkIrreducible(m, conf, 'afiro');

% writeConflict: an LP file of the conflict that reads back.
file = [tempname() '.lp'];
t.writeConflict(file);
r = quietTavlo();
r.readModel(file);
expect(size(r.Model.A, 1) == numel(conf.rowind), 'the conflict file holds the conflict''s rows');
sol = r.solve();
expect(sol.status == 3, 'the conflict file is an infeasible LP');
delete(file);

% A feasible model: no Conflict, no error.
t.delRows(mm);
t.refineConflict();
expect(isempty(t.Conflict), 'a feasible model leaves no Conflict');

% feasOpt on the infeasible afiro: right-hand sides may move.
[t, zstar] = withObjectiveCut(fullfile(netlib, 'afiro.mps.gz'), 1);
m = t.Model;
start = t.Start;
sol = t.feasOpt([], ones(size(m.rhs)), [], []);
expect(sol.status >= 14 && sol.status <= 19, sprintf('feasOpt of an LP: status %d "%s"', sol.status, sol.statusstring));
texts = {'feasible relaxed sum of infeasibilities', 'optimal relaxed sum of infeasibilities', ...
         'feasible relaxed number of infeasibilities', 'optimal relaxed number of infeasibilities', ...
         'feasible relaxed sum of squared infeasibilities', 'optimal relaxed sum of squared infeasibilities'};
expect(strcmp(sol.statusstring, texts{sol.status - 13}), 'the status text of the relaxation');
expect(isequal(t.Solution, sol) && isequal(t.Model, m) && isequal(t.Start, start), ...
       'Solution kept, Model and Start unchanged');
ax = m.A * sol.x;
viol = sum(max(0, m.lhs - ax)) + sum(max(0, ax - m.rhs));
best = elasticSum(m);
expect(best > 1e-6 && near(viol, best, 1e-6), sprintf('the relaxation is minimal (%g, independent LP %g)', viol, best));
expect(all(sol.x >= m.lb - 1e-9 & sol.x <= m.ub + 1e-9), 'bounds are kept when they may not move');

% feasOpt of a MIP: p0033 with its optimum cut off, rows may move.
[t, zstar] = withObjectiveCut(fullfile(miplib, 'p0033.mps.gz'), 1);
m = t.Model;
sol = t.feasOpt([], ones(size(m.rhs)), [], []);
expect(sol.status >= 120 && sol.status <= 125, sprintf('feasOpt of a MIP: status %d "%s"', sol.status, sol.statusstring));
expect(strcmp(sol.statusstring, texts{sol.status - 119}), 'the status text of the MIP relaxation');
expect(isfield(sol, 'pool') && isfield(sol, 'x'), 'a MIP relaxation has x and pool');
integer = m.ctype(:) ~= 'C';
expect(all(abs(sol.x(integer) - round(sol.x(integer))) <= 1e-6), 'the relaxed MIP solution is integral');

% A conflict of the MIP: each test is a MIP solve, so a time limit keeps
% the run short; the refiner then answers with what it proved so far.
t.Param.timelimit.Cur = 5;
t.refineConflict();
c = t.Conflict;
expect(~isempty(c) && any(c.rowind == numel(m.rhs)), 'the MIP conflict holds the objective cut');
expect(c.status == 31 || c.status == 32, sprintf('MIP conflict status %d', c.status));
t.Param.timelimit.Cur = 1e75;
if c.status == 31
  checkIrreducible(m, c, 'p0033');
end

% A MIP start that breaks rows: p0033 with every column at 1.
t = quietTavlo();
t.readModel(fullfile(miplib, 'p0033.mps.gz'));
n = numel(t.Model.obj);
t.MipStart = struct('x', ones(n, 1), 'effortlevel', int32(1));
t.installStart();
c = t.refineMipStartConflict(1);
expect(~isempty(c) && isequal(c, t.Conflict), 'a MIP start that breaks rows has a Conflict');
expect(c.status == 31 || c.status == 32, sprintf('MIP start conflict status %d', c.status));
expect(~isempty(c.rowind) && ~isempty(c.colind) && all(c.colind >= 1 & c.colind <= n), ...
       'the start''s conflict names rows and fixed columns, 1-based');
expect(~isempty(strfind(errorOf(@() t.refineMipStartConflict(2)), 'TAVLO Error  1200')), ...
       'a start that does not exist is refused by the library');
printf('all relaxation checks passed\n');
