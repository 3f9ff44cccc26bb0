function ok = near(a, b, tol)
  % near  Whether A equals B within TOL relative to max(1, |B|).
  ok = abs(a - b) <= tol * max(1, abs(b));
end
