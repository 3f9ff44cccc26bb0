% The Octave side of the gateway, run in batch mode:
%   octave-cli --no-gui --norc run_octave_tests.m MODULE_DIR CLASS_DIR
% Each check prints its name; the first failure ends Octave with status 1.
1;

function n = countLeaves(node)
  n = 0;
  names = fieldnames(node);
  for k = 1:numel(names)
    child = node.(names{k});
    if isfield(child, 'Name') && isfield(child, 'Help')
      n = n + 1;
    else
      n = n + countLeaves(child);
    end
  end
end

args = argv();
addpath(fileparts(mfilename('fullpath')));
addpath(args{end - 1});
addpath(args{end});

% Lifecycle and the module lock.
t = Tavlo();
expect(isa(t.Handle.TvlPtr, 'uint64') && t.Handle.TvlPtr ~= 0, 'constructor stores the address in TvlPtr');
expect(mislocked('tavlolink'), 'the module is locked while an object exists');
u = Tavlo('second');
clear u;
expect(mislocked('tavlolink'), 'still locked after one of two objects went away');

% Dispatch and its error texts (no module prefix, as written).
expect(strcmp(errorOf(@() tavlolink(t)), 'At least 2 intput required'), 'one input');
expect(strcmp(errorOf(@() tavlolink(t, 'Solve', {})), 'Unknown TAVLO function ''Solve''.'), 'unknown command');
expect(strcmp(errorOf(@() t.writeConflict(3)), 'wrong parameters to Tavlo.writeConflict'), ...
       'writeConflict wants one file name');
expect(strcmp(errorOf(@() t.writeConflict([tempname() '.lp'])), 'TAVLO Error  1719: Conflict is not available.'), ...
       'writeConflict before any refinement raises the library''s text');
expect(strcmp(errorOf(@() t.feasOpt([1; 2])), 'length not equal'), 'feasOpt checks the preference lengths');
msg = errorOf(@() t.getParamNumber('TVL_PARAM_NOSUCH'));
expect(strcmp(msg, 'TAVLO Error  1028: Bad parameter name to TAVLO parameter routine.'), ...
       'a library failure raises the error channel''s line');
expect(strcmp(errorOf(@() t.getParamNumber(3)), 'unknow parameter'), 'a gateway code raises its text');
[a, b] = tavlolink(t, 'changeObj', {});
expect(isequal(a, t) && isa(b, 'Tavlo'), 'a flag command returns the object twice');
[a, b] = tavlolink(t, '~isConsistent', {});
expect(isequal(b, true), '~isConsistent calls the class method');
t.Model.obj = [1; 2];
[a, b] = tavlolink(t, '~isConsistent', {});
expect(isequal(b, false), 'isConsistent sees a Model whose parts disagree');

% The parameter tree.
[h, ~] = tavlolink(t, 'getParamHierarchy');
expect(strcmp(h.Param.mip.tolerances.mipgap.Name, 'TVL_PARAM_EPGAP'), 'tree leaf mipgap');
expect(strcmp(h.Param.simplex.perturbation.constant.Name, 'TVL_PARAM_EPPER'), 'tree leaf constant');
expect(countLeaves(h.Param) == 137, 'the tree has 137 leaves');
t.Param.mip.tolerances.mipgap.Cur = 1e-4 / 2;
expect(t.getParam('TVL_PARAM_EPGAP').Cur == 5e-5, 'Param...mipgap.Cur = value sets the parameter');
expect(t.Param.mip.tolerances.mipgap.Cur == 5e-5, 'and reads back through the tree');
t.Param.simplex.limits.iterations.Cur = 2.9;
expect(t.Param.simplex.limits.iterations.Cur == 2, 'an integer parameter takes the value truncated');
p = t.Param.preprocessing.presolve;
expect(~isfield(p, 'Min') && ~isfield(p, 'Max') && p.Def == 1, 'a switch has no limits');
p = t.Param.simplex.limits.upperobj;
expect(p.Min == -Inf && p.Max == Inf, 'a double without range shows -Inf and Inf');
expect(~isempty(strfind(t.Param.advance.Help, '    1 = standard advanced start')), 'help text of advance');
warning('off', 'TAVLO:param');
t.Param.simplex.tolerances.optimality.Cur = 5;
expect(t.Param.simplex.tolerances.optimality.Cur == 1e-6, 'a refused value leaves the parameter');
expect(~isempty(strfind(errorOf(@() t.Param.mip.nosuch), 'unknown TAVLO parameter Param.mip.nosuch')), ...
       'an unknown path is named');
expect(isempty(fieldnames(t.getParam('TVL_PARAM_NOSUCH'))), 'getParam of an unknown name is empty');
expect(t.getParamType('TVL_PARAM_WORKDIR') == 3 && isa(t.getParamType('TVL_PARAM_WORKDIR'), 'int32'), ...
       'getParamType');

% Parameter files.
file = [tempname() '.prm'];
t.writeParam(file);
t.setDefault();
expect(t.Param.simplex.limits.iterations.Cur ~= 2, 'setDefault resets');
t.readParam(file);
expect(t.Param.simplex.limits.iterations.Cur == 2 && t.Param.mip.tolerances.mipgap.Cur == 5e-5, ...
       'readParam restores what writeParam wrote');
delete(file);
expect(~isempty(strfind(errorOf(@() t.readParam('/nonexistent/x.prm')), 'TAVLO Error')), ...
       'readParam of a missing file fails with the library''s text');

% The display function receives log lines (none are produced by the
% parameter commands; check that installing one is harmless).
t.DisplayFunc = @(line) disp(line);
t.changeBds();

% Destruction.
t.delete();
expect(isempty(t.Handle.TvlPtr), 'delete clears TvlPtr');
expect(~mislocked('tavlolink'), 'the module is unlocked after the last object');
expect(~isempty(strfind(errorOf(@() t.changeObj()), 'deleted or never constructed')), ...
       'a deleted object refuses commands');
printf('all Octave gateway checks passed\n');
