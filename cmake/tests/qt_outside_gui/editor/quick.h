// A header of ours whose name begins as Qt's lower-case headers do.
#pragma once
