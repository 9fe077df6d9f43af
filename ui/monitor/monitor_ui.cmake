# The Monitor's windows (Qt).
