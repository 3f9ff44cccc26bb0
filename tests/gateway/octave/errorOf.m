function text = errorOf(f)
  % errorOf  The message of the error F raises ('' when it raises none).
  text = '';
  try
    f();
  catch err
    text = err.message;
  end
end
