// Keeps the library non-empty until its sources arrive.
