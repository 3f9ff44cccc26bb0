function awaitSecondInterrupt()
  % awaitSecondInterrupt  Says that the first Ctrl-C was handled, then
  %   waits until the harness's second Ctrl-C interrupts Octave.
  printf('first interrupt handled\n');
  fflush(stdout);
  unwind_protect
    while true
      pause(0.02);
    end
  unwind_protect_cleanup
    printf('second interrupt reached Octave\n');
    fflush(stdout);
  end_unwind_protect
end
