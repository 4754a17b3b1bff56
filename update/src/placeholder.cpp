namespace tendril {}
