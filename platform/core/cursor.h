#pragma once
// The mouse cursor shape through a replaceable provider; the default does nothing.

enum class TCursorShape { Arrow, Wait };

class TCursorProvider {
 public:
  virtual ~TCursorProvider() = default;
  virtual void SetCursorShape(TCursorShape shape) = 0;
};

TCursorProvider *SetCursorProvider(TCursorProvider *provider);
void SetCursorShape(TCursorShape shape);
