% Time of solving small LPs from Octave through Tavlo, against the library
% called directly (bench/lp_solve_times) and against Octave's own glpk on
% the same models:
%   octave-cli bench/octave_overhead.m MODULE_DIR CLASS_DIR NETLIB_DIR LP_SOLVE_TIMES [REPEATS]
% For Tavlo each repetition rebuilds the problem from the Model (cold, no
% start) and the time covers the whole solve command: the translation of
% the Model, the optimisation and the Solution.  glpk gets the same rows
% (ranged rows split in two), its simplex with presolve off.  Every time is
% the shortest of the repetitions, the one least disturbed by other load.
1;
args = argv();
addpath(args{1});
addpath(args{2});
netlib = args{3};
direct = args{4};
repeats = 10;
if numel(args) >= 5
  repeats = str2double(args{5});
end
names = {'afiro', 'sc50a', 'sc50b', 'kb2', 'adlittle', 'blend', 'share2b', 'sc105', 'stocfor1', 'scagr7', ...
         'israel', 'sc205', 'share1b', 'lotfi', 'boeing1'};
files = cellfun(@(n) fullfile(netlib, [n '.mps.gz']), names, 'UniformOutput', false);
[rc, text] = system(sprintf('%s %d %s', direct, repeats, strjoin(files, ' ')));
if rc ~= 0
  error('lp_solve_times failed');
end
lines = strsplit(strtrim(text), "\n");
printf('%-10s %12s %12s %12s %9s %9s\n', 'model', 'direct [s]', 'Tavlo [s]', 'glpk [s]', 'Tavlo/dir', 'glpk/Tav');
ratioDirect = [];
ratioGlpk = [];
for k = 1:numel(names)
  f = strsplit(lines{k}, ' ');
  tDirect = str2double(f{2});
  objDirect = str2double(f{3});
  t = Tavlo();
  t.DisplayFunc = [];
  t.readModel(files{k});
  m = t.Model;
  tTavlo = Inf;
  for r = 1:repeats
    t.Start = struct();
    t.change();
    tic;
    sol = t.solve();
    tTavlo = min(tTavlo, toc);
  end
  if abs(sol.objval - objDirect) > 1e-6 * max(1, abs(objDirect))
    error('%s: objective %.12g from Octave, %.12g direct', names{k}, sol.objval, objDirect);
  end
  % glpk: ranged rows as two rows, free rows left out.
  lo = m.lhs;
  hi = m.rhs;
  eq = lo == hi;
  up = ~eq & isfinite(hi) & hi < 1e20;
  dn = ~eq & isfinite(lo) & lo > -1e20;
  A = [m.A(eq, :); m.A(up, :); m.A(dn, :)];
  b = [hi(eq); hi(up); lo(dn)];
  ctype = [repmat('S', nnz(eq), 1); repmat('U', nnz(up), 1); repmat('L', nnz(dn), 1)];
  vartype = repmat('C', numel(m.obj), 1);
  s = 1;
  if strcmp(m.sense, 'maximize')
    s = -1;
  end
  param = struct('msglev', 0, 'presol', 0, 'scale', 1);
  tGlpk = Inf;
  for r = 1:repeats
    tic;
    [~, fmin] = glpk(m.obj, A, b, m.lb, m.ub, ctype, vartype, s, param);
    tGlpk = min(tGlpk, toc);
  end
  if abs(fmin - objDirect) > 1e-6 * max(1, abs(objDirect))
    printf('  (glpk objective %.12g differs)\n', fmin);
  end
  printf('%-10s %12.6f %12.6f %12.6f %9.2f %9.2f\n', names{k}, tDirect, tTavlo, tGlpk, tTavlo / tDirect, tGlpk / tTavlo);
  ratioDirect(end + 1) = tTavlo / tDirect;
  ratioGlpk(end + 1) = tGlpk / tTavlo;
  delete(t);
end
printf('geometric means: Tavlo/direct %.2f, glpk/Tavlo %.2f (over %d models, %d repetitions)\n', ...
       exp(mean(log(ratioDirect))), exp(mean(log(ratioGlpk))), numel(names), repeats);
