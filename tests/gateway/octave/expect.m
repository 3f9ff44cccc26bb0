function expect(cond, what)
  % expect  Prints the check's name, or ends Octave with status 1 when it fails.
  if ~cond
    fprintf(2, 'FAILED: %s\n', what);
    exit(1);
  end
  printf('ok   %s\n', what);
end
