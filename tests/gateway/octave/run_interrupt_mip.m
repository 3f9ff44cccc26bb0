% Ctrl-C during a long MIP solve, driven by interrupt_octave.sh:
%   octave-cli --no-gui --norc run_interrupt_mip.m MODULE_DIR CLASS_DIR MIPLIB_DIR
% The script prints "ready for Ctrl-C" once the search has an integer
% solution; the harness then sends SIGINT.  The solve must come back with
% the aborted status and its best solution ("first interrupt handled"),
% after which the script waits for the harness's second SIGINT, which must
% reach Octave and end the wait ("second interrupt reached Octave").

addpath(fileparts(mfilename('fullpath')));
miplib = testSetup();
t = Tavlo();
t.DisplayFunc = @(line) announceReady(line, '^\s*\*');  % the first new incumbent
t.readModel(fullfile(miplib, 'markshare1.mps.gz'));
t.Param.mip.interval.Cur = 1;
tic;
sol = t.solve();
elapsed = toc;
expect(sol.status == 113, sprintf('Ctrl-C stops the MIP with status 113 (%d, "%s") after %.1f s', ...
                                  sol.status, sol.statusstring, elapsed));
m = t.Model;
x = sol.x;
integer = m.ctype(:) == 'B' | m.ctype(:) == 'I';
expect(all(abs(x(integer) - round(x(integer))) <= 1e-6) && all(m.A * x >= m.lhs - 1e-6 & m.A * x <= m.rhs + 1e-6) && ...
       near(m.obj' * x, sol.objval, 1e-9) && sol.bestobjval <= sol.objval, ...
       'the best integer solution found is kept, with its objective and bound');
expect(isequal(t.Solution, sol) && t.getProbType() == 1, 'the Solution is stored and the object goes on');
awaitSecondInterrupt();
