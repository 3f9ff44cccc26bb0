function data = testSetup()
  % testSetup  Puts the module and class folders (the arguments before the
  %   last on the octave-cli command line) on the path and returns the last
  %   argument, the folder of the test instances.
  args = argv();
  addpath(args{end - 2});
  addpath(args{end - 1});
  data = args{end};
end
