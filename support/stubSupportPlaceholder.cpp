// Replaced as the support library grows.
