// Resource numbers of the window tests' resource script.
#pragma once

#define kTestDialogId 300
