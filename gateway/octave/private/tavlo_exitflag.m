function [exitflag, message] = tavlo_exitflag(sol)
  % tavlo_exitflag  The exit flag of the linprog conventions for a
  %   Solution: 1 optimal, 2 a MIP stopped by a limit with an integer
  %   solution, 0 stopped by a limit without one, -1 stopped by the user
  %   (Ctrl-C), -2 infeasible, -3 unbounded, -5 infeasible or unbounded,
  %   -4 anything else; MESSAGE is the status text.
  flags = [1 1; 101 1; 102 1; 2 -3; 118 -3; 3 -2; 103 -2; 4 -5; 119 -5; 10 0; 11 0; 104 2; 105 2; 106 0; ...
           107 2; 108 0; 13 -1; 113 -1; 114 -1];
  exitflag = -4;
  message = '';
  if ~isfield(sol, 'status')
    return;
  end
  k = find(flags(:, 1) == double(sol.status), 1);
  if ~isempty(k)
    exitflag = flags(k, 2);
  end
  message = sol.statusstring;
end
