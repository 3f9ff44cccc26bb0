classdef Tavlo < handle
  % Tavlo  A TAVLO optimisation problem in Octave.
  %
  %   t = Tavlo()          creates an empty problem named TAVLO
  %   t = Tavlo(name)      ... named NAME
  %   t.delete()           frees the problem (also done when t goes away)
  %
  %   Properties
  %     Model         the model: sense, obj, lb, ub, A, lhs, rhs, ...
  %     Param         the parameter tree: t.Param.mip.tolerances.mipgap.Cur = 1e-4
  %     Start         LP starting point; MipStart: MIP starts
  %     Solution      result of the last optimisation
  %     Conflict      result of the conflict refiner (help Tavlo.refineConflict)
  %     DisplayFunc   function called with each line of log output
  %                   (default: print it); [] shows no log
  %     InfoCallback  struct('func', @f): f(info) is called before each node
  %                   of a MIP solve and may stop it (help TavloInfo)
  %     Handle        link to the problem inside the module (do not change)
  %
  %   Methods
  %     solve, populate, feasOpt, getCallbackX, getProbType, getQuality,
  %     getQualityOfPool, getQualityHierarchy,
  %     refineConflict, refineMipStartConflict, writeConflict,
  %     readModel, writeModel, readBasis, writeBasis, readMipStart,
  %     writeMipStart, addRows, addCols, delRows, delCols, getParam,
  %     getParamNumber, getParamType, setDefault, readParam, writeParam,
  %     tuneParam, terminate, and the change markers changeObj,
  %     changeRhs, changeBds, change, changeName, changeObjName,
  %     changeColName, changeRowName, changeSOSName, changeQCName,
  %     installStart, addSOSs, addQCs, addIndicators.
  %     Type "help Tavlo.<method>" for one of them.
  %
  %   Every method calls the module tavlolink; its errors carry the
  %   library's message.

  properties
    Model = struct('sense', 'minimize', 'obj', zeros(0, 1), 'lb', zeros(0, 1), 'ub', zeros(0, 1), ...
                   'A', sparse(0, 0), 'lhs', zeros(0, 1), 'rhs', zeros(0, 1));
    Param = [];
    Start = struct();
    MipStart = struct([]);
    Solution = [];
    Conflict = [];
    DisplayFunc = @(line) fprintf('%s', line);
    InfoCallback = [];
  end

  properties (SetAccess = private)
    Handle = [];
  end

  properties (Access = private)
    % Change commands owed to the module for assignments to Model, sent
    % before the next command.
    Marks = {};
  end

  methods
    function obj = Tavlo(name)
      % Tavlo  Creates the problem (optionally named NAME) and its parameter tree.
      obj.Handle = TavloHandle();
      if nargin < 1
        [~, ~] = tavlolink(obj, 'constructor');
      else
        [~, ~] = tavlolink(obj, 'constructor', name);
      end
      [tree, ~] = tavlolink(obj, 'getParamHierarchy');
      obj.Param = TavloParam(obj.Handle, tree.Param, {});
    end

    function set.Model(obj, m)
      % An assignment to Model (or to one of its fields) records which parts
      % changed; the problem is brought up to date before the next command.
      before = obj.Model;
      obj.Model = m;
      obj.Marks = union(obj.Marks, Tavlo.changedParts(before, m));
    end

    function delete(obj)
      % delete  Frees the problem and the environment of this object.
      if isobject(obj.Handle) && ~isempty(obj.Handle.TvlPtr)
        [~, ~] = tavlolink(obj.Handle, 'destructor');
      end
    end

    function p = getParam(obj, name)
      % getParam  Value, default and limits of the parameter NAME
      %   (a library name such as 'TVL_PARAM_EPOPT'); an unknown name gives
      %   an empty structure.
      p = call(obj, 'getParam', name);
    end

    function num = getParamNumber(obj, name)
      % getParamNumber  Number of the parameter NAME.
      num = call(obj, 'getParamNumber', name);
    end

    function type = getParamType(obj, name)
      % getParamType  Type of the parameter NAME: 1 integer, 2 double, 3 text.
      type = call(obj, 'getParamType', name);
    end

    function setDefault(obj)
      % setDefault  Resets every parameter to its default.
      call(obj, 'setDefault');
    end

    function readParam(obj, file)
      % readParam  Reads the parameter file FILE (all other parameters
      %   return to their defaults).
      call(obj, 'readParam', file);
    end

    function writeParam(obj, file)
      % writeParam  Writes the parameters that differ from their defaults to FILE.
      call(obj, 'writeParam', file);
    end

    function terminate(obj)
      % terminate  Asks a running optimisation to stop (as Ctrl-C does).
      call(obj, 'terminate');
    end

    function sol = solve(obj)
      % solve  Optimises the Model and returns the Solution (also kept in
      %   obj.Solution); Start is refreshed from the result, so the next
      %   solve of a changed model starts from this solution.  Ctrl-C stops
      %   the optimisation (status "aborted"), a second one reaches Octave.
      %
      %   Example:
      %     t = Tavlo();
      %     t.Model.sense = 'maximize';
      %     t.Model.obj = [3; 2];  t.Model.lb = [0; 0];  t.Model.ub = [Inf; Inf];
      %     t.Model.A = [1 1; 1 3];  t.Model.lhs = [-Inf; -Inf];  t.Model.rhs = [4; 6];
      %     sol = t.solve();       % sol.objval is 12, sol.x is [4; 0]
      sol = call(obj, 'solve');
    end

    function sol = populate(obj)
      % populate  Fills the solution pool of a MIP with many solutions: the
      %   MIP is optimised first (unless a finished search can be carried
      %   on), then the search goes on collecting solutions within the pool
      %   gaps until Param.mip.limits.populate solutions were generated or
      %   nothing is left.  Returns the Solution (also kept in obj.Solution)
      %   with Solution.pool listing the pool; Ctrl-C stops it as it stops
      %   solve.  The information callback is not called.
      %
      %   Example:
      %     t.Param.mip.pool.absgap.Cur = 10;   % solutions within 10 of the best
      %     sol = t.populate();
      %     objs = [sol.pool.solution.objval];
      sol = call(obj, 'populate');
    end

    function sol = feasOpt(obj, rngpref, rhspref, lbpref, ubpref)
      % feasOpt  Feasibility relaxation: finds the smallest relaxation of
      %   the Model's row ranges, right-hand sides and column bounds that
      %   makes it feasible, and a solution of the relaxed problem.
      %
      %   sol = t.feasOpt(rngpref, rhspref, lbpref, ubpref)
      %
      %   RNGPREF and RHSPREF hold one preference per row (the ranges of
      %   ranged rows, the right-hand sides of the others), LBPREF and
      %   UBPREF one per column.  A unit of violation of an item costs
      %   1/preference in the relaxation's measure, so a larger preference
      %   means more willing to relax it; a preference of 0 or less keeps
      %   the item as it is, and an empty (or omitted) argument keeps all
      %   items of its kind.  Param.feasopt.mode chooses the measure (sum,
      %   number or sum of squares of the violations, each optionally
      %   followed by optimising the objective among the minimal
      %   relaxations).
      %
      %   Returns the Solution (also kept in obj.Solution) of the relaxed
      %   problem: status 14 to 19 for an LP ("optimal relaxed sum of
      %   infeasibilities", ...), 120 to 125 for a MIP, with x, ax and
      %   objval of the relaxed solution, and pool for a MIP.  The Model is
      %   not changed and Start is not refreshed.  A length that does not
      %   fit raises "length not equal".  Ctrl-C stops it.
      %
      %   Example (the bounds of x may move, the rows may not):
      %     sol = t.feasOpt([], [], ones(n, 1), ones(n, 1));
      if nargin < 2, rngpref = []; end
      if nargin < 3, rhspref = []; end
      if nargin < 4, lbpref = []; end
      if nargin < 5, ubpref = []; end
      sol = call(obj, 'feasOpt', rngpref, rhspref, lbpref, ubpref);
    end

    function conf = refineConflict(obj)
      % refineConflict  Conflict refiner: explains why the Model is
      %   infeasible by a small set of rows and column bounds that is
      %   infeasible on its own.
      %
      %   conf = t.refineConflict()
      %
      %   The result is kept in obj.Conflict (and returned), a structure
      %   with the fields
      %     status     conflict status (int32): 31 "minimal conflict" (every
      %                member is needed), 32 "non-minimal conflict", 33 to
      %                39 when a limit or Ctrl-C stopped the refinement
      %     colind     1-based indices of the columns in the conflict
      %     colbdstat  their membership: 4 lower bound, 5 upper bound,
      %                3 both bounds; 1, 2 and 0 for a possible member
      %                (lower, upper, both) when refinement was stopped
      %     rowind     1-based indices of the rows in the conflict
      %     rowbdstat  their membership: 3 member, 0 possible member
      %   all int32 column vectors.  A feasible Model (status 30 "conflict
      %   feasible") has no conflict: Conflict is left empty.  The Solution
      %   is removed.  Param.conflict.display sets the log's detail; Ctrl-C
      %   stops the refinement, which keeps what it has found.
      call(obj, 'refineConflict');
      conf = obj.Conflict;
    end

    function conf = refineMipStartConflict(obj, k)
      % refineMipStartConflict  Conflict refiner for MIP start K (1-based,
      %   as in MipStart(K)): explains why the start is infeasible by the
      %   rows, bounds and start values that contradict each other.
      %   Conflict (returned too) is built as by refineConflict; a start
      %   that is feasible leaves Conflict empty.
      call(obj, 'refineMipStartConflict', k);
      conf = obj.Conflict;
    end

    function writeConflict(obj, file)
      % writeConflict  Writes the conflict found by the last refinement to
      %   FILE in LP format: its rows and the bounds that take part (all
      %   other columns free).  The file reads back with readModel.  Fails
      %   with the library's "Conflict is not available" when no conflict
      %   was refined for the present Model, and with "wrong parameters to
      %   Tavlo.writeConflict" when FILE is not one text.
      call(obj, 'writeConflict', file);
    end

    function tuneParam(obj, varargin)
      % tuneParam  Parameter tuning: runs the Model under candidate
      %   settings, compares them by deterministic work and leaves the
      %   best settings found in the parameters (read them back through
      %   Param, save them with writeParam).  Parameters that are not
      %   fixed start from their defaults: a value set before tuning is
      %   back at its default unless tuning chose it.
      %
      %   t.tuneParam()                       nothing fixed
      %   t.tuneParam(intcnt, intnum, intval, dblcnt, dblnum, dblval, ...
      %               strcnt, strnum, strval)
      %
      %   The nine arguments name the parameters tuning must keep at given
      %   values: the count, the parameter numbers (getParamNumber) and
      %   the values of the integer, the double and the string parameters
      %   (string values as a cell of texts).  Param.tune holds the
      %   tuning's own settings (timelimit, repeat, measure, display).
      %   Ctrl-C stops the tuning, which keeps the best settings found so
      %   far.
      %
      %   Example (tune with the LP method fixed to dual simplex):
      %     t.tuneParam(1, t.getParamNumber('TVL_PARAM_LPMETHOD'), 2, 0, [], [], 0, [], {});
      call(obj, 'tuneParam', varargin{:});
    end

    function x = getCallbackX(obj, cbhandle)
      % getCallbackX  Columns of the incumbent of the MIP being solved; only
      %   from inside an InfoCallback function, with the CbHandle of its
      %   information object (info.incumbent() does this).
      x = call(obj, 'getCallbackX', cbhandle);
    end

    function type = getProbType(obj)
      % getProbType  Problem type of the Model as the library classifies
      %   it: 0 LP, 1 MILP, 3 fixed MILP, 5 QP, 7 MIQP, 8 fixed MIQP, 10 QCP,
      %   11 MIQCP.
      type = call(obj, 'getProbType');
    end

    function q = getQuality(obj, name)
      % getQuality  One quality measure of the last solution, e.g.
      %   getQuality('maxprimalinfeas'): a structure with value (and index,
      %   the row or column where it occurs, when the measure has one).  An
      %   unknown name gives [].
      q = call(obj, 'getQuality', name);
      if isa(q, 'Tavlo')
        q = [];
      end
    end

    function q = getQualityOfPool(obj, soln, name)
      % getQualityOfPool  Quality measure NAME of a pool solution, as
      %   getQuality does for the last solution.  SOLN is the library's
      %   index: 0 is Solution.pool.solution(1), k-1 is solution(k), and -1
      %   the incumbent.  Only primal measures (infeasibilities, residuals,
      %   sizes of x and slacks, integrality) exist for pool solutions; other
      %   names and indices outside the pool give [].
      q = call(obj, 'getQualityOfPool', soln, name);
      if isa(q, 'Tavlo')
        q = [];
      end
    end

    function q = getQualityHierarchy(obj)
      % getQualityHierarchy  Every quality measure that applies to the last
      %   solution, as a structure with one field per measure.
      q = call(obj, 'getQualityHierarchy');
    end

    function readModel(obj, file)
      % readModel  Reads a model file (LP, MPS or SAV, chosen from the name;
      %   .gz files are read through gzip) and makes it the Model.
      call(obj, 'readModel', file);
      obj.Marks = {};  % the problem was read: it already is the Model
    end

    function writeModel(obj, file)
      % writeModel  Writes the Model to FILE in the format its name names
      %   (.lp, .mps, .sav, optionally followed by .gz).
      call(obj, 'writeModel', file);
    end

    function readBasis(obj, file)
      % readBasis  Reads a basis file; the next solve starts from it and
      %   Start.basis shows it.
      call(obj, 'readBasis', file);
    end

    function writeBasis(obj, file)
      % writeBasis  Writes the basis of the last solution to FILE.
      call(obj, 'writeBasis', file);
    end

    function readMipStart(obj, file)
      % readMipStart  Reads a MIP-start file (.mst, optionally .gz): the
      %   problem's MIP starts are replaced by those of the file and
      %   MipStart shows them.
      call(obj, 'readMipStart', file);
    end

    function writeMipStart(obj, file)
      % writeMipStart  Writes the MIP starts of the problem (MipStart once
      %   installed) to the MIP-start file FILE.
      call(obj, 'writeMipStart', file);
    end

    function addRows(obj, lhs, A, rhs, rowname)
      % addRows  Appends rows lhs <= A*x <= rhs (A has one row per new row
      %   and one column per column of the Model), optionally named by the
      %   char matrix ROWNAME.  The Model is extended and, for an LP, the
      %   problem changed in place so that its basis is kept.
      lhs = lhs(:);
      rhs = rhs(:);
      m = obj.Model;
      m.A = [m.A; A];
      m.lhs = [m.lhs(:); lhs];
      m.rhs = [m.rhs(:); rhs];
      if nargin < 5
        rowname = '';
      end
      if isfield(m, 'rowname') && ~isempty(m.rowname)
        % A named Model keeps one name per row: new rows without names get
        % c<index>, in the Model and the problem alike.
        if isempty(rowname)
          rowname = Tavlo.defaultNames('c', size(m.rowname, 1), numel(lhs));
        end
        m.rowname = char(m.rowname, rowname);
      end
      setModelQuietly(obj, m);
      call(obj, 'addRows', lhs, A.', rhs, rowname);
    end

    function addCols(obj, c, A, lb, ub, ctype, colname)
      % addCols  Appends columns with objective C, coefficients A (one row
      %   per row of the Model, one column per new column) and bounds LB,
      %   UB; optionally types CTYPE ('C', 'I', 'B', ...) and names COLNAME.
      c = c(:);
      lb = lb(:);
      ub = ub(:);
      m = obj.Model;
      old = numel(m.obj);
      m.obj = [m.obj(:); c];
      m.lb = [m.lb(:); lb];
      m.ub = [m.ub(:); ub];
      if isempty(A)
        A = sparse(size(m.A, 1), numel(c));
      end
      m.A = [m.A, A];
      if nargin < 6
        ctype = '';
      end
      if nargin < 7
        colname = '';
      end
      if ~isempty(ctype)
        if ~isfield(m, 'ctype') || isempty(m.ctype)
          m.ctype = repmat('C', 1, old);
        end
        m.ctype = [m.ctype, ctype(:).'];
      elseif isfield(m, 'ctype') && ~isempty(m.ctype)
        m.ctype = [m.ctype, repmat('C', 1, numel(c))];
      end
      if isfield(m, 'colname') && ~isempty(m.colname)
        if isempty(colname)
          colname = Tavlo.defaultNames('x', size(m.colname, 1), numel(c));
        end
        m.colname = char(m.colname, colname);
      end
      setModelQuietly(obj, m);
      call(obj, 'addCols', c, A, lb, ub, ctype, colname);
    end

    function delRows(obj, rows)
      % delRows  Deletes the rows with the (1-based) indices ROWS.
      rows = unique(rows(:));
      m = obj.Model;
      m.A(rows, :) = [];
      m.lhs(rows) = [];
      m.rhs(rows) = [];
      if isfield(m, 'rowname') && ~isempty(m.rowname)
        m.rowname(rows, :) = [];
      end
      setModelQuietly(obj, m);
      call(obj, 'delRows', int32(rows - 1));
    end

    function delCols(obj, cols)
      % delCols  Deletes the columns with the (1-based) indices COLS.
      cols = unique(cols(:));
      m = obj.Model;
      m.A(:, cols) = [];
      m.obj(cols) = [];
      m.lb(cols) = [];
      m.ub(cols) = [];
      if isfield(m, 'ctype') && ~isempty(m.ctype)
        m.ctype(cols) = [];
      end
      if isfield(m, 'colname') && ~isempty(m.colname)
        m.colname(cols, :) = [];
      end
      setModelQuietly(obj, m);
      call(obj, 'delCols', int32(cols - 1));
    end

    function changeObj(obj)
      % changeObj  Marks Model.obj and Model.sense as changed.
      call(obj, 'changeObj');
    end

    function changeRhs(obj)
      % changeRhs  Marks Model.lhs and Model.rhs as changed.
      call(obj, 'changeRhs');
    end

    function changeBds(obj)
      % changeBds  Marks Model.lb and Model.ub as changed.
      call(obj, 'changeBds');
    end

    function change(obj)
      % change  Marks the whole Model as changed: it is loaded anew.
      call(obj, 'change');
    end

    function changeName(obj)
      % changeName  Marks Model.name as changed.
      call(obj, 'changeName');
    end

    function changeObjName(obj)
      % changeObjName  Marks Model.objname as changed.
      call(obj, 'changeObjName');
    end

    function changeColName(obj)
      % changeColName  Marks Model.colname as changed.
      call(obj, 'changeColName');
    end

    function changeRowName(obj)
      % changeRowName  Marks Model.rowname as changed.
      call(obj, 'changeRowName');
    end

    function changeSOSName(obj)
      % changeSOSName  Marks the names of Model.sos as changed.
      call(obj, 'changeSOSName');
    end

    function changeQCName(obj)
      % changeQCName  Marks the names of Model.qc as changed.
      call(obj, 'changeQCName');
    end

    function installStart(obj)
      % installStart  Marks Start (LP) or MipStart (MIP) to be installed
      %   before the next optimisation.
      call(obj, 'installStart');
    end

    function addSOSs(obj)
      % addSOSs  Marks Model.sos as changed (the model is loaded anew).
      call(obj, 'addSOSs');
    end

    function addQCs(obj)
      % addQCs  Marks Model.qc as changed (the model is loaded anew).
      call(obj, 'addQCs');
    end

    function addIndicators(obj)
      % addIndicators  Marks Model.indicator as changed (the model is loaded anew).
      call(obj, 'addIndicators');
    end

    function ok = isConsistent(obj)
      % isConsistent  True when the sizes of the Model's parts agree with A.
      m = obj.Model;
      ok = isstruct(m) && isfield(m, 'A');
      if ~ok
        return;
      end
      [rows, cols] = size(m.A);
      parts = {'obj', cols; 'lb', cols; 'ub', cols; 'lhs', rows; 'rhs', rows};
      for k = 1:size(parts, 1)
        if isfield(m, parts{k, 1}) && ~isempty(m.(parts{k, 1})) && numel(m.(parts{k, 1})) ~= parts{k, 2}
          ok = false;
          return;
        end
      end
    end
  end

  methods (Hidden)
    function info = TvlInfo(obj)
      % TvlInfo  The information object of an InfoCallback (called by tavlolink).
      info = TavloInfo(obj);
    end

    function runDisplayFunc(obj, func, line)
      % runDisplayFunc  Shows one line of log output (called by tavlolink).
      func(line);
    end
  end

  methods (Access = private)
    function result = call(obj, command, varargin)
      % Octave hands a module a single output slot unless two are asked
      % for, so every call takes both outputs.
      marks = obj.Marks;
      obj.Marks = {};
      for k = 1:numel(marks)
        [~, ~] = tavlolink(obj, marks{k}, {});
      end
      [~, result] = tavlolink(obj, command, varargin);
    end

    function setModelQuietly(obj, m)
      % Stores a Model whose change the module applies itself (added or
      % deleted rows and columns), keeping the marks owed before.
      marks = obj.Marks;
      obj.Model = m;
      obj.Marks = marks;
    end
  end
  methods (Static, Access = private)
    function marks = changedParts(a, b)
      % The change commands that bring a problem built from Model A up to
      % Model B: the whole model for a new matrix, types or nonlinear parts,
      % otherwise only the parts that differ.
      marks = {};
      whole = {'A', 'ctype', 'Q', 'sos', 'indicator', 'qc'};
      for k = 1:numel(whole)
        if ~Tavlo.sameField(a, b, whole{k})
          marks = {'change'};
          return;
        end
      end
      parts = {'sense', 'changeObj'; 'obj', 'changeObj'; 'lb', 'changeBds'; 'ub', 'changeBds'; ...
               'lhs', 'changeRhs'; 'rhs', 'changeRhs'; 'name', 'changeName'; 'objname', 'changeObjName'; ...
               'colname', 'changeColName'; 'rowname', 'changeRowName'};
      for k = 1:size(parts, 1)
        if ~Tavlo.sameField(a, b, parts{k, 1})
          marks{end + 1} = parts{k, 2};
        end
      end
      marks = unique(marks);
    end

    function names = defaultNames(letter, before, count)
      % Names letter<index> for COUNT items after the first BEFORE.
      names = char(arrayfun(@(k) sprintf('%s%d', letter, k), before + (1:count), 'UniformOutput', false));
    end

    function same = sameField(a, b, name)
      inA = isstruct(a) && isfield(a, name);
      inB = isstruct(b) && isfield(b, name);
      same = inA == inB && (~inA || isequal(a.(name), b.(name)));
    end
  end
end
