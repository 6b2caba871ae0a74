// This unit is being written.
