function t = quietTavlo()
  % quietTavlo  A Tavlo object that shows no log.
  t = Tavlo();
  t.DisplayFunc = [];
end
