% Ctrl-C during parameter tuning, driven by interrupt_octave.sh:
%   octave-cli --no-gui --norc run_interrupt_tune.m MODULE_DIR CLASS_DIR MIPLIB_DIR
% Tuning of a hard MIP under a long tuning time limit prints "ready for
% Ctrl-C" at its first log line; the harness then sends SIGINT.  tuneParam
% must return soon after, without error, the object must go on working
% ("first interrupt handled"), and the harness's second SIGINT must reach
% Octave ("second interrupt reached Octave").

addpath(fileparts(mfilename('fullpath')));
miplib = testSetup();
t = Tavlo();
t.DisplayFunc = @(line) announceReady(line, '^Tuning');
t.readModel(fullfile(miplib, 'markshare1.mps.gz'));
t.Param.tune.timelimit.Cur = 3600;
t.Param.tune.display.Cur = 1;
tic;
t.tuneParam();
elapsed = toc;
expect(elapsed < 300, sprintf('Ctrl-C stops tuning with a one-hour limit after %.1f s', elapsed));
t.DisplayFunc = [];
t.Param.mip.limits.nodes.Cur = 10;
sol = t.solve();
expect(sol.status == 105 || sol.status == 106 || sol.status == 101, ...
       sprintf('the object goes on: a node-limited solve ends with status %d', sol.status));
awaitSecondInterrupt();
