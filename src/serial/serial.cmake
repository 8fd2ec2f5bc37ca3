# Serial line sources of the core library (included from src/CMakeLists.txt).
