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
      [entry, kind, path] = lookup(obj, s(1));
      if strcmp(kind, 'dir')
        value = TavloParam(obj.Link, entry, path);
      else
        value = leafValue(obj, entry);
      end
      if numel(s) > 1
        value = subsref(value, s(2:end));
      end
      varargout = {value};
    end

    function obj = subsasgn(obj, s, value)
      [entry, kind, path] = lookup(obj, s(1));
      if strcmp(kind, 'dir')
        if numel(s) < 2
          error('Param.%s is a directory of parameters and cannot be assigned', strjoin(path, '.'));
        end
        subsasgn(TavloParam(obj.Link, entry, path), s(2:end), value);
        return;
      end
      if numel(s) ~= 2 || ~strcmp(s(2).type, '.') || ~strcmp(s(2).subs, 'Cur')
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
    function [entry, kind, path] = lookup(obj, s)
      if ~strcmp(s.type, '.')
        error('the TAVLO parameter tree is indexed by names (Param.mip.tolerances.mipgap)');
      end
      path = [obj.Path, {s.subs}];
      if ~isfield(obj.Node, s.subs)
        error('unknown TAVLO parameter Param.%s', strjoin(path, '.'));
      end
      entry = obj.Node.(s.subs);
      if isfield(entry, 'Name') && isfield(entry, 'Help') && ischar(entry.Name)
        kind = 'leaf';
      else
        kind = 'dir';
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
