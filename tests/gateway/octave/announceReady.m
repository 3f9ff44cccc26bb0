function announceReady(line, pattern)
  % announceReady  A DisplayFunc for the Ctrl-C tests: shows nothing but
  %   "ready for Ctrl-C", once, at the first line of log that matches the
  %   regular expression PATTERN.
  persistent announced;
  if isempty(announced) && ~isempty(regexp(line, pattern, 'once'))
    announced = true;
    printf('ready for Ctrl-C\n');
    fflush(stdout);
  end
end
