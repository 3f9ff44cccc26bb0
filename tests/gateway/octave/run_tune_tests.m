% Parameter tuning through the Tavlo class, in batch mode:
%   octave-cli --no-gui --norc run_tune_tests.m MODULE_DIR CLASS_DIR MIPLIB_DIR
% Each check prints its name; the first failure ends Octave with status 1.
1;

function collect(line)
  % Keeps each line of log output in the global LOGLINES.
  global loglines;
  loglines{end + 1} = line;
end

addpath(fileparts(mfilename('fullpath')));
miplib = testSetup();

% Tuning p0033 with the LP method fixed: the fixed value stays, the
% settings left solve the MIP, and the tuning keeps to its time limit.
global loglines;
loglines = {};
t = Tavlo();
t.DisplayFunc = @collect;
t.readModel(fullfile(miplib, 'p0033.mps.gz'));
t.Param.tune.timelimit.Cur = 20;
t.Param.mip.tolerances.mipgap.Cur = 0.5;  % not fixed: back to its default after tuning
lpmethod = t.getParamNumber('TVL_PARAM_LPMETHOD');
tic;
t.tuneParam(int32(1), lpmethod, int32(1), int32(0), [], [], int32(0), [], {});
elapsed = toc;
expect(elapsed < 60, sprintf('tuning keeps near its 20 s limit (%.1f s)', elapsed));
expect(t.Param.lpmethod.Cur == 1, 'the fixed parameter keeps its value');
expect(t.Param.mip.tolerances.mipgap.Cur == t.Param.mip.tolerances.mipgap.Def, ...
       'a parameter that was not fixed starts from its default');
expect(t.Param.tune.timelimit.Cur == 20, 'the tuning''s own settings are kept');
log = [loglines{:}];
t.DisplayFunc = [];
expect(~isempty(strfind(log, 'Tuning')), 'the tuning log reaches the DisplayFunc');
sol = t.solve();
expect(sol.status == 101 || sol.status == 102, sprintf('the tuned settings solve p0033 (status %d)', sol.status));
expect(near(sol.objval, 3089, 1e-9), 'to its optimum 3089');

% A fixed double and a fixed string parameter; string values that are not
% a cell of texts make the command a no-op.
t.setDefault();
epgap = t.getParamNumber('TVL_PARAM_EPGAP');
workdir = t.getParamNumber('TVL_PARAM_WORKDIR');
t.Param.tune.timelimit.Cur = 5;
t.tuneParam(int32(0), [], [], int32(1), epgap, 0.25, int32(1), workdir, {tempdir()});
expect(t.Param.mip.tolerances.mipgap.Cur == 0.25, 'a fixed double parameter keeps its value');
expect(strcmp(t.getParam('TVL_PARAM_WORKDIR').Cur, tempdir()), 'a fixed string parameter keeps its value');
t.tuneParam(int32(0), [], [], int32(0), [], [], int32(1), workdir, 'notacell');
expect(strcmp(errorOf(@() t.tuneParam(int32(2), lpmethod, int32(1), int32(0), [], [], int32(0), [], {})), ...
              'length not equal'), 'a count beyond its array is refused');
printf('all tuning checks passed\n');
