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
  %     Conflict      result of the conflict refiner
  %     DisplayFunc   function called with each line of log output
  %                   (default: print it); [] shows no log
  %     InfoCallback  function called during MIP optimisation
  %     Handle        link to the problem inside the module (do not change)
  %
  %   Methods
  %     getParam, getParamNumber, getParamType, setDefault, readParam,
  %     writeParam, terminate, and the change markers changeObj,
  %     changeRhs, changeBds, change, changeName, changeObjName,
  %     changeColName, changeRowName, changeSOSName, changeQCName,
  %     installStart, addSOSs, addQCs, addIndicators.  Type
  %     "help Tavlo.<method>" for one of them.
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
    function runDisplayFunc(obj, func, line)
      % runDisplayFunc  Shows one line of log output (called by tavlolink).
      func(line);
    end
  end

  methods (Access = private)
    function result = call(obj, command, varargin)
      % Octave hands a module a single output slot unless two are asked
      % for, so every call takes both outputs.
      [~, result] = tavlolink(obj, command, varargin);
    end
  end
end
