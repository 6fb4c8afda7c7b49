# page form: invoice
top-margin 20
grid 5 columns
