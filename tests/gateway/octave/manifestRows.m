function rows = manifestRows(folder)
  % manifestRows  The rows of FOLDER/manifest.csv below its header, each a
  %   cell of its comma-separated fields.
  text = fileread(fullfile(folder, 'manifest.csv'));
  lines = strsplit(strtrim(text), "\n");
  rows = cellfun(@(line) strsplit(strtrim(line), ','), lines(2:end), 'UniformOutput', false);
end
