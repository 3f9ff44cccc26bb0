classdef TavloParam < handle
  % TavloParam  One directory of the TAVLO parameter tree (the Param
  %   property of a Tavlo object).
  %
  %   A leaf reads as a structure with the fields Cur (current value),
  %   Def (default), Min and Max (limits; integer switches have none,
  %   doubles without limits show -Inf and Inf), Name (the library's
  %   parameter name) and Help.  Only Cur can be set:
  %
  %     t.Param.mip.tolerances.mipgap.Cur = 1e-4;
  %     t.Param.simplex.tolerances.optimality      % value, default, limits
  %     t.Param.lpmethod.Help                      % what the settings mean
  %
  %   A value the library refuses (out of range) leaves the parameter as
  %   it was and raises a warning with the library's message.

  properties (Access = private)
    Link   % TavloHandle of the owning Tavlo object
    Node   % this directory of the tree from getParamHierarchy
    Path   % names from Param down to this directory
  end

  methods
    function obj = TavloParam(link, node, path)
      obj.Link = link;
      obj.Node = node;
      obj.Path = path;
    end

    function varargout = subsref(obj, s)
      % The whole path is walked here: no object is made for the
      % directories on the way.
      [entry, isLeaf, path, used] = walk(obj, s);
      if isLeaf
        value = leafValue(obj, entry);
      else
        value = TavloParam(obj.Link, entry, path);
      end
      if used < numel(s)
        value = subsref(value, s(used + 1:end));
      end
      varargout = {value};
    end

    function obj = subsasgn(obj, s, value)
      [entry, isLeaf, path, used] = walk(obj, s);
      if ~isLeaf
        error('Param.%s is a directory of parameters and cannot be assigned', strjoin(path, '.'));
      end
      if used + 1 ~= numel(s) || ~strcmp(s(end).type, '.') || ~strcmp(s(end).subs, 'Cur')
        error('only Param.%s.Cur can be assigned', strjoin(path, '.'));
      end
      setValue(obj, entry.Name, value);
    end

    function disp(obj)
      names = fieldnames(obj.Node);
      printf('  TAVLO parameter directory %s:\n', strjoin(['Param', obj.Path], '.'));
      for k = 1:numel(names)
        printf('    %s\n', names{k});
      end
    end

    function names = fieldnames(obj)
      names = fieldnames(obj.Node);
    end
  end

  methods (Access = private)
    % Follows the names of s from this directory down to a leaf or until
    % the names end; USED is the number of elements of s consumed.
    function [entry, isLeaf, path, used] = walk(obj, s)
      entry = obj.Node;
      path = obj.Path;
      isLeaf = false;
      used = 0;
      while used < numel(s) && ~isLeaf
        step = s(used + 1);
        if ~strcmp(step.type, '.')
          error('the TAVLO parameter tree is indexed by names (Param.mip.tolerances.mipgap)');
        end
        path = [path, {step.subs}];
        if ~isfield(entry, step.subs)
          error('unknown TAVLO parameter Param.%s', strjoin(path, '.'));
        end
        entry = entry.(step.subs);
        isLeaf = isfield(entry, 'Name') && isfield(entry, 'Help') && ischar(entry.Name);
        used = used + 1;
      end
    end

    function value = leafValue(obj, leaf)
      [~, value] = tavlolink(struct('Handle', obj.Link), 'getParam', {leaf.Name});
      value.Help = leaf.Help;
    end

    function setValue(obj, name, value)
      [~, ~] = tavlolink(struct('Handle', obj.Link), 'changePrm', {struct('Name', name), value});
      [~, now] = tavlolink(struct('Handle', obj.Link), 'getParam', {name});
      if isnumeric(value) && isscalar(value) && isnumeric(now.Cur) && now.Cur ~= fix(value) && now.Cur ~= value
        warning('TAVLO:param', 'TAVLO kept %s at %g: the value %g is out of its range', name, now.Cur, value);
      end
    end
  end
end
