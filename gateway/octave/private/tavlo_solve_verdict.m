function sol = tavlo_solve_verdict(t)
  % tavlo_solve_verdict  Solves T and returns its Solution.  When presolve
  %   proves the problem infeasible or unbounded the library ends the solve
  %   with a status (an error in Octave); the verdict is then returned as a
  %   Solution with the status code only (3 infeasible, 2 unbounded, 4
  %   infeasible or unbounded).
  try
    sol = t.solve();
  catch err
    verdicts = [1117 3; 1118 2; 1101 4];
    code = sscanf(err.message, 'TAVLO Error %d');
    k = [];
    if ~isempty(code)
      k = find(verdicts(:, 1) == code, 1);
    end
    if isempty(k)
      rethrow(err);
    end
    sol = struct('status', int32(verdicts(k, 2)), 'statusstring', strtrim(err.message), 'time', 0);
  end
end
