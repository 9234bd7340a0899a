#pragma once

namespace nodrel {

// The program's start: creates, centres and shows the information window, and nothing else.
void startProgram();

}  // namespace nodrel
