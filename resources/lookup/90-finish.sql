-- Statistics for the query planner, and the data version the editor was built with.
ANALYZE;
PRAGMA user_version = 1;
